// The drive simulator of the benchmarks: each benchmark runs in a link namespace of its own, with
// drivesim (build/bin) on its simulator channel writing a trace into a temporary file.
#pragma once

#include "comm700.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace bench {

// The link library takes its namespace when it is loaded: without COMM700_NAMESPACE the program
// starts again with one of its own, so a benchmark never meets another program on the simulator
// channel. Returns only when the namespace is set (or the new start failed: false).
inline bool OwnNamespace(const char *program, char **argv)
{
    if (std::getenv("COMM700_NAMESPACE"))
        return true;
    const std::string ns = std::string(program) + "-" + std::to_string(getpid());
    setenv("COMM700_NAMESPACE", ns.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror(program);
    return false;
}

class PacedSim {
public:
    // Starts drivesim with `options` and its trace, and waits until a drive answers at axis 255.
    PacedSim(const char *program, std::vector<std::string> options) : program_(program)
    {
        char traceTemplate[] = "/tmp/bench-trace-XXXXXX";
        const int fd = mkstemp(traceTemplate);
        if (fd < 0)
            return;
        close(fd);
        trace_ = traceTemplate;
        const std::string sim = std::string(TOOLS700_BIN_DIR) + "/drivesim";
        std::vector<std::string> args{sim};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("--trace");
        args.push_back(trace_);
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
            std::fprintf(stderr, "%s: cannot start %s\n", program_, sim.c_str());
            return;
        }
        UseSerialPort(0);
        SetAxis700(255);
        double model = 0;
        for (int i = 0; i < 40 && !up_; ++i)
            up_ = GetVar700("Model", &model) == 0;
        if (!up_)
            std::fprintf(stderr, "%s: the simulator does not answer\n", program_);
    }
    ~PacedSim()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!trace_.empty())
            std::remove(trace_.c_str());
    }
    PacedSim(const PacedSim &) = delete;
    PacedSim &operator=(const PacedSim &) = delete;

    // The simulator runs and its drive answers.
    bool Up() const { return up_; }
    const std::string &Trace() const { return trace_; }

private:
    const char *program_;
    pid_t pid_ = -1;
    std::string trace_;
    bool up_ = false;
};

} // namespace bench
