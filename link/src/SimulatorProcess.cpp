#include "SimulatorProcess.h"

#include "tools700/platform/Process.h"

namespace tools700::link {

int SimulatorProcess::Launch(const char* program)
{
    if (program == nullptr || *program == '\0')
        return 1;
    const pid_t pid = platform::SpawnProgram(program);
    if (pid < 0)
        return 1;
    std::lock_guard<std::mutex> g(mutex_);
    pid_ = pid;
    ended_ = false;
    return 0;
}

int SimulatorProcess::Shoot()
{
    std::lock_guard<std::mutex> g(mutex_);
    // Once the process has been ended and reaped its pid may belong to someone else: a second
    // call does not signal it again.
    if (pid_ > 0 && !ended_)
        ended_ = platform::EndProcess(pid_, 1000);
    return 0;
}

}  // namespace tools700::link
