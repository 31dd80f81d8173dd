// The drive simulator on the link library's simulator channel of this test's namespace, for the
// tests of the program's parts and of tools700-cli: waits until a drive answers and reads the
// simulator's trace of received requests.
#pragma once

#include "../support/DrivesimProcess.h"
#include "comm700.h"

#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace testutil {

struct TraceLine {
    int axis = 0;
    std::string command, name, value, result;
};

class SimProcess {
public:
    // Starts drivesim with the options (and its trace in `traceFile` when given) and waits for
    // its ready line.
    explicit SimProcess(std::vector<std::string> options, std::string traceFile = "")
        : trace_(std::move(traceFile))
    {
        if (!trace_.empty()) {
            options.push_back("--trace");
            options.push_back(trace_);
        }
        process_.Start(options);
    }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool Started() const { return process_.Pid() > 0; }
    pid_t Pid() const { return process_.Pid(); }

    // Waits until `answers` returns true, trying up to 40 times while the simulator runs.
    template <typename Probe> bool WaitUntil(Probe answers)
    {
        for (int i = 0; i < 40 && process_.Running(); ++i) {
            if (answers())
                return true;
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

    void Stop() { process_.Stop(); }

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
    testsupport::DrivesimProcess process_;
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
