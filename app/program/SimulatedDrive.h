// "Tools700 --simulator [MODEL]": the program with a drive simulator of its own, so a user without
// a drive can try every window. The simulator (the drivesim beside the program) plays one drive at
// axis 1 on the simulator channel of a namespace private to this run, with a settings file of its
// own, and ends with the program: at a normal end, on SIGTERM, SIGINT or SIGHUP (the program
// winds down first), and, through the parent-death signal, when the program is killed.
// No Qt here: the program's start-up (Startup.cpp) uses it around the windows.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tools700 {

// What "--simulator [MODEL]" or "--simulator=MODEL" asks for.
struct SimulatorOption {
    bool wanted = false;
    std::string model; // empty: the simulator's default model
};

// Takes the option out of `args` (the arguments after the program), so the rest reads as if it
// had not been given ("-inhouse" counts when it is alone without it). MODEL is the argument after
// "--simulator" unless that starts with '-'.
SimulatorOption TakeSimulatorOption(std::vector<std::string> &args);

// The namespace of a simulated run of the process `pid`: "tools700-simulator-<pid>".
std::string SimulatorNamespace(pid_t pid);

// The settings file of simulated runs: "700Tools-simulator.ini" beside the settings file in force,
// so the port stored for a real drive neither takes the simulator's place nor is overwritten.
std::string SimulatorSettingsPath();

// Points this process at a simulated run: COMM700_NAMESPACE (private to this process),
// TOOLS700_SETTINGS (SimulatorSettingsPath); namespaces of earlier simulated runs whose process
// has ended are removed. The link library opens its locks and channel in the namespace in force
// when it is loaded, so the program starts itself again (exec, same process) after this.
void EnterSimulatorEnvironment();
// True when this process runs in its simulated run's namespace (after the exec).
bool InSimulatorEnvironment();

// The drive simulator of a run: one drivesim process on the simulator channel of the namespace in
// force, ended (and the namespace's objects removed) by Stop or the destructor.
class SimulatedDrive {
public:
    SimulatedDrive() = default;
    SimulatedDrive(const SimulatedDrive &) = delete;
    SimulatedDrive &operator=(const SimulatedDrive &) = delete;
    ~SimulatedDrive();

    // Starts `drivesim` playing `model` (empty: its default) at axis 1 and waits up to `timeoutMs`
    // for its ready line. Returns an empty string when it answers, else why not (the program
    // cannot be started, or it ended early: with its own error text).
    std::string Start(const std::string &drivesim, const std::string &model, int timeoutMs = 10000);

    // Ends the simulator (SIGTERM, then SIGKILL after a second) and removes the namespace's
    // shared-memory objects when the namespace is a simulated run's own.
    void Stop();

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string namespace_;
};

// The drivesim that belongs to the program at `executable`: the one in the same folder (the build
// tree's bin, or the installation's bin).
std::string SimulatorBesideProgram(const std::string &executable);

} // namespace tools700
