// The rules of the configuration editor's tabs: which tabs and controls each operating mode
// shows or enables, which rows of the predefined-move editor each move type shows, the unit
// labels that follow the configuration, and the feedback texts. Tables, as the window reads them.
#pragma once

#include "tools700/config/ValueSet.h"

#include <array>
#include <optional>
#include <string>

namespace tools700 {

enum class EditorTab {
    Digital,    // "Digital I/O"
    Analog,     // "Analog I/O"
    Loop,       // "Loop Gains"
    Torque,     // "Torque Controller"
    Velocity,   // "Velocity Controller"
    Position,   // "Position Controller"
    Position2,  // the second "Position Controller", never shown
    Predefined, // "Predefined Moves"
    Feedback,   // "Feedback"
    Count
};
inline constexpr int kEditorTabs = static_cast<int>(EditorTab::Count);

// What ShowTabsForMode makes of the tabs and controls.
struct TabLayout {
    std::array<bool, kEditorTabs> shown{};
    std::optional<EditorTab> active;     // unchanged when empty
    bool loopGainsEnabled = true;        // pedtKvi, pedtKvp
    bool gainOffsetEnabled = true;       // grpVelCtrlGainOffset, pedtCmdGain, pedtADOffset
    bool gearingShown = false;           // grpGearingRatio
    bool stepsPerRevShown = false;       // lblStepsPerRev
    std::optional<bool> velCmdShown;     // grpVelCmd; unchanged when empty
    bool Shown(EditorTab t) const { return shown[static_cast<int>(t)]; }
};

// The layout for an operating mode; `positionModeSelect` tells whether one of the six input boxes
// shows "Position Mode Select (hi)" or "(lo)". A mode outside 0..7 shows only the tabs every
// mode has (and Predefined Moves when Position Mode Select is mapped) and changes nothing more.
TabLayout TabsForMode(int mode, bool positionModeSelect);

// Rows of the predefined-move editor.
struct MoveRow {
    const char *control;    // object name of the control
    const char *suffix;     // per-move variable: "Move<n>" + suffix; null for a fixed variable
    const char *variable;   // the fixed variable, or null
    const char *label;
    const char *unitsLabel; // object name of the units label, or null
    unsigned moveTypes;     // bit t set: shown for move type t
};
inline constexpr int kMoveRows = 11;
const std::array<MoveRow, kMoveRows> &MoveRows();
// The nine controls that follow the move number: "Move" + n + one of these.
inline constexpr const char *kPerMoveSuffixes[] = {"Type",     "RunSpeed",  "AccelRate", "DecelRate", "Distance",
                                                   "DistOffset", "RegSelect", "HomeMode",  "HomeDir"};
std::string MoveVariable(int move, const char *suffix);

bool MoveRowShown(const MoveRow &row, int moveType);
// Reg Select and the two edge boxes are usable except for a Home move without remote feedback.
bool RegistrationEnabled(int moveType, double remoteFB);
// "Position" for an absolute move, "Distance" otherwise.
const char *DistanceLabel(int moveType);

// Unit labels that follow the configuration (UpdateMoveUnits).
struct MoveUnits {
    std::string accelRate, decelRate, runSpeed, distance, gearingCaption, dm1Gain, dm2Gain;
};
MoveUnits MoveUnitTexts(const ValueSet &working);

// The feedback tab's text for a commutation source and a remote feedback, and whether the
// emulated-encoder panel is shown in place of the encoder panel.
struct FeedbackText {
    const char *text;
    bool emulatedEncoder;
};
FeedbackText FeedbackFor(int commSrc, int remoteFB);

} // namespace tools700
