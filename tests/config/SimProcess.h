// Runs the drive simulator (build/bin/drivesim) as a separate process on the link library's
// simulator channel of this test's namespace, and reads its trace of received requests.
#pragma once

#include "comm700.h"

#include <cctype>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/prctl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>
#include <vector>

namespace testutil {

struct TraceLine {
    int axis = 0;
    std::string command, name, value, result;
};

class SimProcess {
public:
    // Starts drivesim with the options and waits until a drive answers at axis 255.
    explicit SimProcess(std::vector<std::string> options, std::string traceFile = "")
        : trace_(std::move(traceFile))
    {
        std::vector<std::string> args{std::string(TOOLS700_BIN_DIR) + "/drivesim"};
        args.insert(args.end(), options.begin(), options.end());
        if (!trace_.empty()) {
            args.push_back("--trace");
            args.push_back(trace_);
        }
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            // The simulator ends with the test program, also when a sanitizer aborts it: a
            // simulator left behind would keep this namespace's line from the next run.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Waits until `answers` returns true, trying up to 40 times while the simulator runs.
    template <typename Probe> bool WaitUntil(Probe answers)
    {
        for (int i = 0; i < 40 && pid_ > 0; ++i) {
            if (answers())
                return true;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
        }
        return false;
    }

    // Puts this process's link on the simulator channel and waits until the drive answers
    // (each unanswered request costs the link's reply time-out).
    bool WaitUntilAnswering(int axis = 255)
    {
        UseSerialPort(0);
        SetAxis700(axis);
        return WaitUntil([] {
            double v = 0;
            return GetVar700("Model", &v) == 0;
        });
    }

    void Stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    // Every request the simulator received so far.
    std::vector<TraceLine> Trace() const
    {
        std::vector<TraceLine> out;
        std::ifstream in(trace_);
        TraceLine t;
        while (in >> t.axis >> t.command >> t.name >> t.value >> t.result)
            out.push_back(t);
        return out;
    }

    // Forgets the requests seen so far (the trace file is appended to).
    void ClearTrace() const { std::ofstream(trace_, std::ios::trunc); }

private:
    pid_t pid_ = -1;
    std::string trace_;
};

// Starts drivesim with its trace in `traceFile` and waits until it answers at axis 255; the
// trace then starts empty. A simulator that does not start or answer fails the test.
inline std::unique_ptr<SimProcess> StartTraced(std::vector<std::string> options, const std::string &traceFile)
{
    auto sim = std::make_unique<SimProcess>(std::move(options), traceFile);
    EXPECT_TRUE(sim->Started());
    EXPECT_TRUE(sim->WaitUntilAnswering());
    sim->ClearTrace();
    return sim;
}

inline bool SameName(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace testutil
