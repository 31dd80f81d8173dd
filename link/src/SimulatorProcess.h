// The drive simulator a host starts for itself (LaunchSimulator/ShootSimulator): started without
// waiting, ended once (SIGTERM, then SIGKILL) and reaped, never signalled again after that, as
// its process id may by then belong to another process.
#pragma once

#include <mutex>
#include <sys/types.h>

namespace tools700::link {

class SimulatorProcess {
public:
    // 0 when started, 1 when `program` is empty or could not be started.
    int Launch(const char* program);
    // Ends the process last launched, if it still runs. Always 0.
    int Shoot();

private:
    std::mutex mutex_;
    pid_t pid_ = -1;
    bool ended_ = false;
};

}  // namespace tools700::link
