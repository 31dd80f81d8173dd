// The program's start-up: single instance, splash window, every window created once and hidden
// (main window first), each registered in the session so the windows that open it find it, the
// link set up by the port dialog, then the event loop.
#pragma once

#include "tools700/common/Session.h"

#include <QStringList>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tools700 {

namespace platform {
class InstanceLock;
}

class Application;
class Messages;
class TAbout;
class TComportDlg;
class TMainForm;
class TSplash;

inline constexpr const char *kSingleInstanceLock = "SingleInstance700Tools";

// The windows of one run; they live until the program ends.
struct Program {
    Program();
    ~Program();
    Session session;
    std::unique_ptr<platform::InstanceLock> instanceLock;
    std::unique_ptr<TSplash> splash;
    // Every window, in the order of creation (the main window first); destroyed in reverse.
    std::vector<std::unique_ptr<QWidget>> windows;
    TMainForm *mainForm = nullptr;
    TAbout *about = nullptr;
    TComportDlg *comportDlg = nullptr;
    // Object names of the windows in the order they were created.
    QStringList creationOrder;

    // The window of a class, or nullptr when this build has none.
    template <class T> T *Find() const
    {
        for (const auto &w : windows)
            if (auto *t = dynamic_cast<T *>(w.get()))
                return t;
        return nullptr;
    }
};

enum class StartResult { Started, AlreadyRunning };

// Takes the single-instance lock; a second start shows "Application is already running." and
// gives AlreadyRunning. Then shows the splash window and creates the windows. `programFile` is
// the program's full path, `args` the arguments after it. Errors propagate to the caller.
StartResult StartProgram(Program &program, Messages &messages, const QString &programFile, const QStringList &args);

// The text of the About box's "&More": the two libraries' versions and compile times.
std::string LibraryVersionsText();

// The text of "Tools700 --help" (the man page is made from it as well).
std::string UsageText();
// "Tools700 (700Tools) <release>" and the libraries' versions.
std::string VersionText();
// "--help" and "--version" print their text to `out` before anything else starts and end the
// program: the exit code when one of them is among `args` (the arguments after the program).
std::optional<int> RunInformationOption(const std::vector<std::string> &args, std::FILE *out);

// Hooks of unattended runs (screenshots, benchmarks), from the environment:
//   TOOLS700_CONNECTED_FILE=path  a line "connected" is appended to the file when the status bar
//                                 first shows a drive ("Status: Axis ...");
//   TOOLS700_SCREENSHOT=path.png  at that moment (once the splash window has gone) the main
//                                 window is saved as a picture and the program ends;
//   TOOLS700_SCREENSHOT_WINDOW=name  with TOOLS700_SCREENSHOT: the window of that object name
//                                 ("vardlg") is shown at that moment instead, and saved 2.5 s
//                                 later (after two polls of the on-line window).
void InstallUnattendedHooks(Program &program);

struct SimulatorOption;

// main(): start-up, then the event loop; an error during start-up is shown in the error box and
// ends the program. With `simulator.wanted` (main has called EnterSimulatorEnvironment) the
// drivesim beside the program plays the drive on the simulator channel, the program connects to
// it, and it ends with the program.
int RunProgram(Application &app, const SimulatorOption &simulator);

} // namespace tools700
