// The tuning wizard's rules, apart from its windows: the motor and drive data it starts from
// (LoadTuningData), what an edit, the slider, Undo All and Default change, the delayed evaluation
// that follows them (Evaluate), the indicator panels, and Apply and Close with their questions and
// drive writes. The window shows View() and reports the user's actions; a terminal uses the same
// class for `tools700-cli tune`.
#pragma once

#include "tools700/common/Error.h"
#include "tools700/tuning/TuningFormulas.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace tools700 {
class Messages;
class Session;
} // namespace tools700

namespace tools700::tuning {

enum TuningModes : int { kOnline = 0, kOffline = 1 };

// What an evaluation works on (PendingEdit).
enum PendingEdits : int {
    kEditNone = 0,
    kEditInertiaRatio = 1,
    kEditSlider = 2, // the slider, or the defaults
    kEditKvp = 3,
    kEditKvi = 4,
    kEditARF0 = 5,
    kEditARF1 = 6,
    kFirstOnline = 33,
};

// The entries the wizard checks, with the range each must lie in (both ends included) and the
// warning for a value outside it.
enum EditField : int { kFieldInertiaRatio, kFieldKvp, kFieldKvi, kFieldARF0, kFieldARF1, kFieldCount };
struct EditRange {
    EditField field;
    int pendingEdit;
    double min, max;
    const char *warning;
};
extern const std::array<EditRange, kFieldCount> kEditRanges;

// The texts of the five edits as they stand.
using EditTexts = std::array<std::string, kFieldCount>;

// Defaults of the loop settings (Default, and the start off line).
inline constexpr double kDefaultKvi = 5, kDefaultARF0 = 150, kDefaultARF1 = 750;
inline constexpr int kDefaultBandwidth = 75;
// The slider's range; the Kvp path keeps the slider up to this bandwidth.
inline constexpr int kSliderMax = 200;
inline constexpr double kKvpPathMax = 205;
inline constexpr int kHelpTuning = 795;

inline constexpr const char *kApplyLastChange = "Would you like to apply the last change?";
inline constexpr const char *kSaveInNvram = "Would you like to save the change in NVRAM?";
inline constexpr const char *kNoCommunication = "Unable to communicate with drive!";
inline constexpr const char *kNvSaveDone = "NVSave is successful";
inline constexpr const char *kNvSaveFailed = "NVSave is failed";

// What the window shows.
struct TuningView {
    std::string motor, drive;             // edtMotor, edtDrive
    std::string edit[kFieldCount];        // edtInertiaR, edtKvp, edtKvi, edtARF0, edtARF1
    bool sliderVisible = true;
    double sliderValue = 25;
    bool outOfSliderRange = false;        // Panel1
    std::string bandwidthReader = "000.0";
    bool phaseVisible = true;             // lblPhase, lblPhaseValue, lblPhase2
    std::string phaseValue = "50.00";
    bool kvpTooLow = false;               // Panel2: BW < Kvi
    bool kvpTooHigh = false;              // Panel3: BW > ARF0 or ARF1
    bool applyVisible = false;            // btnApply and btnOrignal (on line only)
    bool applyEnabled = false;
};

// What the read-outs show for a bandwidth: the phase margin while Kvi < BW < both filters, a
// warning that Kvp is too low (BW < Kvi) or too high (BW above a filter); Unchanged when none of
// these holds (BW equal to Kvi or to a filter), so the panels stay as they were.
enum class Indicator { PhaseMargin, KvpTooLow, KvpTooHigh, Unchanged };
Indicator IndicatorFor(double bw, double kvi, double arf0, double arf1);

// The drive's name as the wizard shows it: "SVE745" for 1745, "SV732" for 732.
std::string DriveName(double model);

// The drive's present gains and the question Apply asks before it writes new ones.
struct Gains {
    double Kvp = 0, Kvi = 0, ARF0 = 0, ARF1 = 0;
};
// A read or write the drive refused or did not answer: StatusText of its link status.
class DriveError : public Error {
public:
    explicit DriveError(int status);
    int Status() const { return status_; }

private:
    int status_;
};

// Reads the drive's Kvp, Kvi, ARF0, ARF1; DriveError on a failed read.
Gains ReadGains();
std::string ApplyQuestion(const Gains &drive, const Gains &wanted, char point = '.');
// Apply's writes, after the question answered Yes: Enable := 0, Kvi, Kvp, ARF0, ARF1, in that
// order; DriveError at the first refused write (those before it stay).
// False when the question was answered No.
bool ApplyGains(const Gains &wanted, Messages &messages, char point = '.');

// What an on-line start reads of the drive: Model, Motor1, Motor2, Kvp, Kvi, ARF0, ARF1, ARZ0,
// ARZ1, Kip in that order, up to the first read that fails.
struct DriveTuningData {
    std::array<double, 10> values{};
    int failedAt = 0; // 1..10: that read failed (with `status`); 0: all were read
    int status = 0;
};
DriveTuningData ReadDriveTuningData();
// The NV save of Close: false when the drive does not answer AxisAddr (nothing is saved);
// otherwise the status of the NVSave command in `status`.
bool DriveAnswers();
int SaveInNvram();

class TuningWizard {
public:
    explicit TuningWizard(Messages &messages) : messages_(messages) {}

    // Decimal point of the texts shown and typed.
    char DecimalPoint = '.';

    int TuningMode = kOffline;
    double BW = 0;
    double Kvp = 0, Kvi = 0, ARF0 = 0, ARF1 = 0, ARZ0 = 0, ARZ1 = 0, Kip = 0;
    double Inductance = 0; // henry
    double JR = 1;
    Gains Start;           // for Undo All
    double Ke = 0, Inertia = 0;
    double Model = 0, Motor1 = 0, Motor2 = 0;
    std::string MotorName;  // on line: decoded from Motor1/Motor2; off line: the chosen motor
    std::string DriveText;  // off line: the chosen drive
    int PendingEdit = kEditNone;
    bool Applied = false;
    bool SliderMoved = false;

    // Motor data and, on line, the drive's settings. 0 when the wizard may be shown, otherwise the
    // first problem: 1..10 the drive read that failed (its StatusText shown), 11 Ke, 12 Inertia,
    // 14 Inductance (the motor database holds 0).
    int LoadTuningData();
    // The same with the drive's values read beforehand (on line; ignored off line): a window reads
    // them on its drive worker and hands them over.
    int TakeTuningData(const DriveTuningData &read);

    // The window is shown with the kept ratio; an evaluation is then due (PendingEdit is set).
    void Activate(double inertiaRatio);
    // A key in one of the edits: the evaluation it asks for (the window starts its timer unless it
    // runs already).
    void KeyPress(EditField field);
    // The user moved the slider / let go of it. True when an evaluation is due.
    void SliderChanged(double value);
    bool SliderReleased();
    // The delayed evaluation of PendingEdit with the edits as they stand now, then the indicator
    // panels. An out-of-range entry warns and ends; tools700::Error for a text that is no number.
    void Evaluate(const EditTexts &texts);
    // A Kvp taken (typed, or given to `tools700-cli tune`): the bandwidth it gives, rounded to
    // whole hertz while the slider can show it, with the read-out and the slider.
    void SetKvp(double kvp);
    // A bandwidth chosen (the slider, or given to `tools700-cli tune`): the Kvp it needs, with the
    // read-out and the Kvp edit.
    void SetBandwidth(double bw);
    // Undo All and Default; each leaves an evaluation due.
    void UndoAll(double inertiaRatio);
    void Default();
    // Apply: the entries checked and taken, the question, the writes. True when written.
    bool Apply(const EditTexts &texts);
    // Apply in two steps, for a window that runs the drive's part (ApplyGains) on its worker: the
    // entries checked and taken (the gains to write, or nothing after a warning), then, once
    // ApplyGains wrote them, the wizard told so.
    std::optional<Gains> CheckedGains(const EditTexts &texts);
    void MarkApplied();
    // Close: the pending change and the NV save offered, the ratio handed back to `session`. During
    // the save the connection monitor is suspended and `wait` lets the window repaint (0 ms) and
    // waits for the drive (1000 ms); without it the thread sleeps.
    void Close(const EditTexts &texts, Session &session, const std::function<void(int ms)> &wait = {});
    // Close's questions and its end, for a window that runs the drive's part on its worker: Apply's
    // question comes when the last change is not applied; the NV save is offered after an Apply;
    // the ratio handed back to `session` and the slider reset last.
    bool OffersLastChange() const { return view_.applyVisible && view_.applyEnabled; }
    bool OffersNvSave() const { return Applied; }
    void FinishClose(Session &session);

    const TuningView &View() const { return view_; }
    // The edits' texts as the view has them.
    EditTexts Texts() const;
    LoopSettings Loop() const { return {Kvi, ARF0, ARF1, ARZ0, ARZ1, Kip, Inductance}; }

private:
    bool MotorData();
    // The edits as the user left them: the view shows them until a rule rewrites one.
    void TakeTexts(const EditTexts &texts);
    // The slider and the read-out after a new Kvp (the Kvp path).
    void ShowKvpBandwidth();
    void OutOfRange(const char *warning);
    // An entry within its range taken, and what follows from it.
    void Take(EditField field, double v);
    void UpdateIndicators();
    std::string Text(double x, int decimals) const { return UpToText(x, decimals, DecimalPoint); }

    Messages &messages_;
    TuningView view_;
};

} // namespace tools700::tuning
