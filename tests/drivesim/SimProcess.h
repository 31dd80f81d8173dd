// Runs the real drivesim program for a test: starts it with the given options, waits for
// its ready line on stdout, and ends it with SIGTERM, checking that it ended cleanly.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace drivesim_test {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts drivesim with `args`; true once it printed its ready line (kept in ReadyLine()).
    bool Start(const std::vector<std::string>& args);
    // SIGTERM, then waits up to 10 s. Returns the exit status (-1 when it had to be killed
    // or ended by a signal).
    int Stop();
    // Runs drivesim to its end (for options that make it exit at once); returns the exit
    // status and collects stdout and stderr.
    static int Run(const std::vector<std::string>& args, std::string& out, std::string& err);

    const std::string& ReadyLine() const { return ready_; }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::string ready_;
};

// A fresh temporary folder, removed with its files when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The lines of a text file (empty when it does not exist).
std::vector<std::string> ReadLines(const std::string& path);
// Splits a line at single blanks.
std::vector<std::string> Fields(const std::string& line);

// Drains the host-to-drive queue of the simulator channel (requests no simulator read).
void DrainSimulatorQueue();

}  // namespace drivesim_test
