// The rules of the motor database editor that decide what it shows: the name of a new motor,
// the parameter controls of a rotary or linear motor in metric or English units, the offset
// panel of the commutation source, and the buttons of browse and edit mode.
#pragma once

#include <functional>
#include <string>

namespace tools700::motoredit {

inline constexpr const char *kNameNotAlphanumeric = "Name must be alphanumeric";
inline constexpr const char *kNameBuiltIn = "A motor with that name already exists\nin the built-in motor database.";
inline constexpr const char *kNameInEditor = "A user-defined motor with that name already exists.";
inline constexpr int kMaxNameLength = 8;

// Checks a typed name for a new motor: `name` is trimmed of blanks (the dialog shows the trimmed
// text) and upper-cased; `inEditor` tells whether the editor already holds a name. Returns the
// warning to show, empty when the name is acceptable.
std::string CheckNewMotorName(std::string &name, const std::function<bool(const std::string &)> &inEditor);

// How the parameter group shows a motor of one type in one system of units.
struct MotorLayout {
    bool linear;
    bool metric;
    const char *typeText;      // lblMotorType
    const char *keVar;         // pemKe
    const char *keUnits;       // lblKeUnits
    const char *weightVar;     // pemWeightOrInertia
    const char *massUnits;     // units of the linear mass panel ("" for rotary motors)
    const char *poleVar;       // pemPoleCountOrSpacing
    const char *poleLabel;     // lblPoleCount
    const char *poleUnits;     // lblPoleCountUnits ("" and hidden for rotary motors)
    bool coilWeightLabel;      // the coil weight label panel (else the rotary inertia one)
    bool linearMassPanel;      // pnlLinearMass
    bool inertiaMetricPanel;   // pnlInertiaMetric
    bool inertiaEnglishPanel;  // pnlInertiaEnglish
    bool encResPanel;          // pnlEncRes
    bool resolverOffered;      // "Resolver" stays in the CommSrc items
};

// The row of the layout table for a motor type (0 rotary, anything else linear) and ShowMetric.
const MotorLayout &LayoutFor(double motorType, double showMetric);

// The offset panel a commutation source shows: the commutation offset for a resolver (0), the
// Hall offset for a Comcoder (2), none for an incremental encoder.
struct OffsetPanels {
    bool commOffset;
    bool hallOffset;
};
OffsetPanels OffsetPanelsFor(double commSrc);

// CommSrc of a new linear motor: an incremental encoder.
inline constexpr double kLinearCommSrc = 1;

enum class Mode { Browse, Edit };

// What each mode shows and enables.
struct ModeRules {
    Mode mode;
    bool listEnabled;
    bool parametersEnabled;
    bool newVisible, deleteVisible, editVisible, exitVisible;
    bool okVisible, cancelVisible;
    bool deleteEditNeedMotors; // Delete and Edit are enabled only while the list holds a motor
    const char *exitHint;
    const char *cancelHint;
};
const ModeRules &RulesFor(Mode mode);

} // namespace tools700::motoredit
