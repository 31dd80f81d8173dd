// The diagnostic checklist, apart from its window: the 25 drive values it reads, the 18 checks
// that look for the configuration errors that most often keep a drive from moving its motor
// (a table: label, pass rule, message), and one run of upload, checks and summary whose steps
// the window (progress bar, dial, message boxes, Exit) or a terminal plugs in.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tools700::diagnostics {

inline constexpr std::size_t kValueCount = 25;
inline constexpr std::size_t kCheckCount = 18;

// The variables read from the drive, in the order they are read.
extern const std::array<const char *, kValueCount> kValueNames;

// The values by name; all 0 before the first upload.
struct DiagnosticValues {
    double InpMap[6] = {};
    double FaultReset = 0, VBus = 0, CWInh = 0, CCWInh = 0, Fault = 0, FaultCode = 0, ExtFault = 0, CommEnbl = 0,
           IlmtMinus = 0, IlmtPlus = 0, VelLmtHi = 0, VelLmtLo = 0, Kip = 0, BlkType = 0, Kpp = 0, CmdGain = 0,
           Kvp = 0, Kvi = 0, Cfgd = 0;

    // Value i of kValueNames.
    double &At(std::size_t i);
    double At(std::size_t i) const { return const_cast<DiagnosticValues *>(this)->At(i); }
};

// The two codes of an input function: active low and active high.
inline constexpr int kFaultResetLo = 1, kFaultResetHi = 32769;
inline constexpr int kCWInhibitLo = 5, kCWInhibitHi = 32773;
inline constexpr int kCCWInhibitLo = 6, kCCWInhibitHi = 32774;

// The first input (1..6) whose map holds either code; 0 when none does.
int FindMappedInput(const DiagnosticValues &v, int code1, int code2);

// One row of the checklist.
struct Check {
    const char *label;
    bool (*passes)(const DiagnosticValues &);
    std::string (*message)(const DiagnosticValues &);
};
extern const std::array<Check, kCheckCount> kChecks;

struct FailedCheck {
    std::size_t index;     // row of kChecks
    std::string line;      // label + " failed! <---"
    std::string message;   // the explanation shown in the warning box
};

// What the drive's values say: the fault lines (empty for a drive without fault) and every check
// that failed, in table order.
struct ChecklistResult {
    std::vector<std::string> faultLines;
    std::vector<FailedCheck> failures;
    bool AllPassed() const { return faultLines.empty() && failures.empty(); }
};
ChecklistResult RunChecks(const DiagnosticValues &values);

// The lines the checklist shows.
inline constexpr const char *kPrompt = "Press the 'Start' button to begin a diagnostic test";
inline constexpr const char *kUploading = "Uploading from drive...";
inline constexpr const char *kUploadFailed = "Failed to upload from drive";
inline constexpr const char *kCantCommunicate = "Can't communicate with drive";
inline constexpr const char *kAborted = "Testing aborted!";
inline constexpr const char *kAllPassed = "All checks passed!";
inline constexpr const char *kSomeFailed = "One or more checks failed.";
inline constexpr const char *kDone = "Done!";

// The steps of a run that its front end shows. Each step that lets the user interrupt returns
// false when the run is to end there (the window's Exit).
class RunView {
public:
    virtual ~RunView() = default;
    // Upload progress 0..96, before each read.
    virtual bool Progress(int percent) = 0;
    virtual void AddLine(const std::string &line) = 0;
    // A failed check's message; false (Cancel) ends the run.
    virtual bool Failed(const FailedCheck &failure) = 0;
    // The dial at `percent` (the check's row, then the sweep to 100).
    virtual bool Dial(int percent) = 0;
    // The upload failed.
    virtual void UploadFailed() = 0;
};

enum class RunEnd { Completed, UploadFailed, Aborted, Interrupted };

// Reads the 25 values into `values` (one GetVar700 each): Completed, UploadFailed at the first
// failed read (the values read so far are kept), Interrupted when the view ends it.
RunEnd UploadValues(DiagnosticValues &values, RunView &view);

// The checks of a run on values already read: the fault lines, each failed check (OK goes on,
// Cancel adds "Testing aborted!" and ends), the dial after each check and its sweep, the summary.
RunEnd RunChecksOn(const DiagnosticValues &values, RunView &view);

// One run: upload, the fault lines, each failed check (OK goes on, Cancel adds "Testing
// aborted!" and ends), the dial after each check and its sweep, then the summary.
RunEnd Run(DiagnosticValues &values, RunView &view);

} // namespace tools700::diagnostics
