// The one way a test starts the drive simulator (build/bin/drivesim) as a process of its own:
// its standard output on a pipe up to the ready line ("simulator channel", or the path of the
// terminal it serves), ended with SIGTERM and reaped, and ended with the test program too, also
// when a sanitizer stops it (a simulator left behind would keep this namespace's line from the
// next run). The fixtures of the test folders build on it.
#pragma once

#include "TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testsupport {

class DrivesimProcess {
public:
    DrivesimProcess() = default;
    // Starts drivesim with `args` and waits for its ready line (see Start).
    explicit DrivesimProcess(const std::vector<std::string> &args) { Start(args); }
    ~DrivesimProcess() { Stop(); }
    DrivesimProcess(const DrivesimProcess &) = delete;
    DrivesimProcess &operator=(const DrivesimProcess &) = delete;

    static std::string Program() { return std::string(TOOLS700_BIN_DIR) + "/drivesim"; }

    // Starts `program` (drivesim of this build unless given) with `args`; true once it printed
    // its ready line, false when it could not be started, ended first or said nothing within
    // 20 s (sanitizer builds start slowly).
    bool Start(const std::vector<std::string> &args, const std::string &program = Program())
    {
        Stop();
        ready_ = false;
        line_.clear();
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return false;
        pid_ = Spawn(program, args, out[1], -1);
        close(out[1]);
        // Kept open while the simulator runs: whatever it prints later must not end it.
        outFd_ = out[0];
        if (pid_ > 0)
            ready_ = ReadLine(outFd_, 20000);
        return ready_;
    }

    bool Ready() const { return ready_; }
    const std::string &ReadyLine() const { return line_; }
    pid_t Pid() const { return pid_; }

    // False once the process has ended (it is then reaped).
    bool Running()
    {
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_)
            pid_ = -1;
        return pid_ > 0;
    }

    // SIGTERM, then up to 10 s for it to end (SIGKILL after that). The exit status, or -1 when
    // it had to be killed, ended by a signal, or was not running.
    int Stop()
    {
        int status = -1;
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            status = WaitFor(pid_, 10000);
            pid_ = -1;
        }
        if (outFd_ >= 0)
            close(outFd_);
        outFd_ = -1;
        return status;
    }

    // Runs drivesim to its end (for options that make it exit at once): the exit status, with
    // its standard output and error.
    static int Run(const std::vector<std::string> &args, std::string &out, std::string &err)
    {
        TempDir dir;
        const int o = open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int e = open(dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const pid_t pid = Spawn(Program(), args, o, e);
        close(o);
        close(e);
        const int status = pid > 0 ? WaitFor(pid, 10000) : -1;
        out = ReadAll(dir.File("out"));
        err = ReadAll(dir.File("err"));
        return status;
    }

private:
    // fork and exec; the child's standard output and error go to outFd and errFd where given.
    // Everything the child needs is made before the fork: the test program has threads.
    static pid_t Spawn(const std::string &program, const std::vector<std::string> &args, int outFd, int errFd)
    {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (auto &a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            if (outFd >= 0)
                dup2(outFd, STDOUT_FILENO);
            if (errFd >= 0)
                dup2(errFd, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }

    // The first line on fd (without its line feed) into line_; false at the end of the output
    // or when the time runs out first.
    bool ReadLine(int fd, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char c;
            if (read(fd, &c, 1) != 1)
                return false;
            if (c == '\n')
                return true;
            line_ += c;
        }
        return false;
    }

    // The exit status; -1 when it was ended by a signal or had to be killed. Either is told on
    // the standard error with what the process was doing, so a failed check says why.
    static int WaitFor(pid_t pid, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status = 0;
            const pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid) {
                if (WIFEXITED(status))
                    return WEXITSTATUS(status);
                std::fprintf(stderr, "drivesim (pid %d) was ended by signal %d\n", static_cast<int>(pid),
                             WIFSIGNALED(status) ? WTERMSIG(status) : 0);
                return -1;
            }
            if (r < 0)
                return -1;
            if (std::chrono::steady_clock::now() > deadline) {
                std::fprintf(stderr, "drivesim (pid %d) had not ended after %d ms: %s\n", static_cast<int>(pid),
                             timeoutMs, ProcessState(pid).c_str());
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // The state, kernel wait channel and signal masks of a process, from /proc.
    static std::string ProcessState(pid_t pid)
    {
        const std::string dir = "/proc/" + std::to_string(pid) + "/";
        std::string state = "wchan " + ReadAll(dir + "wchan");
        std::istringstream lines(ReadAll(dir + "status"));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("State:", 0) == 0 || line.rfind("Sig", 0) == 0 || line.rfind("ShdPnd:", 0) == 0 ||
                line.rfind("Threads:", 0) == 0)
                state += "; " + line;
        return state;
    }

    static std::string ReadAll(const std::string &file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    pid_t pid_ = -1;
    int outFd_ = -1;
    bool ready_ = false;
    std::string line_;
};

} // namespace testsupport
