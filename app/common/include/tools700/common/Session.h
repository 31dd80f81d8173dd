// Session: what the windows of one run share, kept apart from the main window so that a window's
// logic can be tested without one. The main window writes the drive it sees (DriveModel,
// SerialControl, whether the control-mode switch is shown) and lends its connection monitor
// (SuspendStatusPolling/ResumeStatusPolling); the program's start-up registers each window under
// its typed identity, and a window opens another one through Open() without linking it.
#pragma once

#include "tools700/common/ProgramFolders.h"
#include "tools700/common/SweepExchange.h"

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

namespace tools700 {

class Cfg;
class FileDialog;

// The windows that other windows open. Each is registered by the program's start-up when its part
// is built; an unregistered window is not available, and the entries that open it stay disabled.
enum class Window : std::size_t {
    NewConfiguration, // TCfgNewDlg on its first page
    OnlineDrive,      // Tvardlg
    Oscilloscope,     // TScopeForm
    Diagnostics,      // TTroubleshooting
    MotorDatabase,    // TEditMDBDlg
    FirmwareUpgrade,  // TFWUpgrade
    TuningOffline,    // TslTuningBox
    TuningOnline,     // TInertiaRDlg with its on-line purpose
    InertiaRatio,     // TInertiaRDlg asking the ratio for the configuration wizard
    PortAxis,         // TComportDlg
    SweepAnalysis,    // TSweepAnalysis on the scope's newest sweep
    StepResponse,     // TScopeForm armed for one sweep of Velocity Command and Velocity Feedback
    DrivesOnLine,     // TDrivesOnLine
    Count
};

// How a user names the window in a sentence ("the oscilloscope").
const char *WindowTitle(Window window);

class Session {
public:
    // Opens the configuration editor on a configuration: entry mode 2 (Edit File) or 3 (Upload),
    // the configuration (owned by the caller) and the name the editor shows as its caption.
    using ConfigurationEditor = std::function<void(int entryMode, Cfg &cfg, const std::string &name)>;
    using Opener = std::function<void()>;
    // Opens the Compare window on the configuration being edited (`cfg`, shown as `name`; Take
    // from Drive changes it), or, with `cfg` null, on the configuration file `name`. Returns the
    // number of values taken from the drive into `cfg` and not saved since.
    using Comparer = std::function<int(Cfg *cfg, const std::string &name)>;

    // The "-inhouse" option: more motors and variables are offered.
    bool InHouse = false;
    // The program's folder with a trailing separator (where configurations, user motors and
    // Scope.log are written: beside a build-tree program, in the user's data folder for an
    // installed one); the folder of the configuration files; and all folders in use.
    std::string ProgramDir;
    std::string CfgDir;
    ProgramFolders Folders;
    // Model code of the connected drive, 0 when none or unreadable.
    int DriveModel = 0;
    // For a 740-family drive: true in Serial Control Mode, false in SERCOS Control Mode.
    bool SerialControl = false;
    // The main window's control-mode switch is shown (a 740-family drive is connected).
    bool ControlSwitchShown = false;
    // Load-to-motor inertia ratio carried from one use to the next.
    double InertiaRatio = 1.0;
    // The main window's "Save Configuration to File" dialog; null until the main window exists.
    FileDialog *SaveCfgDlg = nullptr;
    // The scope's sweeps, the reference sweep and the tuned bandwidth, shared by the scope, the
    // sweep analysis and the tuning wizard.
    SweepExchange Sweeps;

    // The connection monitor's polling, lent by the main window (nothing happens without one).
    // Pauses nest: a workflow that pauses the polling inside another's pause (a download started
    // from a window that paused it) does not turn it back on at its end; the polling resumes when
    // every pause has been resumed. Any thread may pause and resume.
    void SetStatusPolling(std::function<void(bool on)> polling);
    void SuspendStatusPolling();
    void ResumeStatusPolling();
    // A pause is held: the main window does not turn the polling on when it becomes active.
    bool StatusPollingPaused() const;

    // How Open() reaches the windows' thread when a worker calls it (a download's retry opens the
    // port dialog): `runner` runs the call there and waits for it, and runs it at once on that
    // thread. Without one, the call runs on the caller's thread.
    using ThreadRunner = std::function<void(const std::function<void()> &call)>;
    void SetWindowThreadRunner(ThreadRunner runner) { runner_ = std::move(runner); }

    // Typed registration of the windows.
    void Register(Window window, Opener open);
    bool Available(Window window) const;
    // Opens the window; false (and nothing happens) when it is not registered.
    bool Open(Window window) const;

    void RegisterEditor(ConfigurationEditor editor);
    bool EditorAvailable() const { return static_cast<bool>(editor_); }
    // False when no editor is registered.
    bool EditConfiguration(int entryMode, Cfg &cfg, const std::string &name) const;

    // Makes `axis` the current axis as the port dialog's axis choice does (the link is told, the
    // choice is stored, the status bar follows); lent by the main window. False without one.
    using AxisSelector = std::function<void(int axis)>;
    void SetAxisSelector(AxisSelector selector) { axisSelector_ = std::move(selector); }
    bool SelectAxis(int axis) const;

    void RegisterComparer(Comparer comparer);
    bool ComparerAvailable() const { return static_cast<bool>(comparer_); }
    // The Comparer's result; -1 when no Compare window is registered.
    int CompareWithDrive(Cfg *cfg, const std::string &name) const;

    // Told after every registration (the main window enables the entries that became available).
    void SetRegistrationListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    std::array<Opener, static_cast<std::size_t>(Window::Count)> openers_;
    ConfigurationEditor editor_;
    Comparer comparer_;
    AxisSelector axisSelector_;
    std::function<void(bool)> polling_;
    mutable std::mutex pollingMutex_;
    int pauses_ = 0;
    std::function<void()> listener_;
    ThreadRunner runner_;
};

} // namespace tools700
