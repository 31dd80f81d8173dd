#include "ControlSignals.h"

#include <cerrno>
#include <pthread.h>

namespace drivesim {

ControlSignals::ControlSignals()
{
    sigemptyset(&signals_);
    for (int s : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2})
        sigaddset(&signals_, s);
    pthread_sigmask(SIG_BLOCK, &signals_, &before_);
    std::signal(SIGPIPE, SIG_IGN);
}

ControlSignals::~ControlSignals()
{
    if (thread_.joinable()) {
        if (!stop_.load())
            pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

void ControlSignals::Start(std::function<void()> wake)
{
    wake_ = std::move(wake);
    thread_ = std::thread([this] { Run(); });
}

void ControlSignals::Run()
{
    while (!stop_.load()) {
        siginfo_t info;
        const int s = sigwaitinfo(&signals_, &info);
        if (s < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (s == SIGUSR1 || s == SIGUSR2)
            quiet_.store(s == SIGUSR1 ? 1 : 2);
        else
            stop_.store(true);
        if (wake_)
            wake_();
    }
}

}  // namespace drivesim
