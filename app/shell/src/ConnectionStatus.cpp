#include "tools700/shell/ConnectionStatus.h"

#include "comm700.h"
#include "tools700/Line.h"
#include "tools700/config/StatusText.h"
#include "tools700/widgets/HandOver.h"

#include <chrono>

namespace tools700 {

const char *const TConnectionStatus::kNames[5] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault",
                                                  nullptr};

std::string StatusLine(int result, const double values[4], int validMask)
{
    return ConnectionStatusText(result, values, validMask);
}

TConnectionStatus::TConnectionStatus(UpdateFn update, PollFn poll, QObject *parent)
    : QObject(parent), update_(std::move(update)), poll_(std::move(poll))
{
    if (!poll_)
        poll_ = [](const char *const *names, double *values, int *mask) { return line::GetVars700(names, values, mask); };
}

TConnectionStatus::~TConnectionStatus() { WaitFor(); }

void TConnectionStatus::Resume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable() && !terminated_)
        thread_ = std::thread([this] { Execute(); });
}

void TConnectionStatus::Terminate()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        terminated_ = true;
    }
    wake_.notify_all();
}

void TConnectionStatus::WaitFor()
{
    Terminate();
    if (thread_.joinable())
        thread_.join();
}

void TConnectionStatus::Execute()
{
    using namespace std::chrono;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!terminated_) {
        if (!polling_.load() || lastResult_ == 0) {
            wake_.wait_for(lock, milliseconds(kPollIntervalMs), [this] { return terminated_; });
            if (terminated_ || !polling_.load())
                continue;
        } else if (lastPollTook_ < milliseconds(kFailedPollPaceMs)) {
            // The last poll failed at once (no port, a device that is gone): that did not spend
            // a reply time-out, so spend the rest of one here instead of polling flat out.
            wake_.wait_for(lock, milliseconds(kFailedPollPaceMs) - lastPollTook_, [this] { return terminated_; });
            if (terminated_ || !polling_.load())
                continue;
        }
        lock.unlock();
        double values[4] = {0, 0, 0, 0};
        int mask = 0;
        const auto started = steady_clock::now();
        const int result = poll_(kNames, values, &mask);
        lastPollTook_ = duration_cast<milliseconds>(steady_clock::now() - started);
        polls_.fetch_add(1);
        lock.lock();
        if (terminated_)
            break;
        lastResult_ = result;
        validMask_ = mask;
        for (int i = 0; i < 4; ++i) {
            if (mask & (1 << i))
                values_[i] = values[i];
        }
        reportDone_ = false;
        const unsigned long long ticket = ++ticket_;
        PostToObjectThread(this, [this, ticket] { RunReport(ticket); });
        wake_.wait(lock, [this] { return reportDone_ || terminated_; });
    }
}

void TConnectionStatus::RunReport(unsigned long long ticket)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (terminated_ || ticket != ticket_ || reportDone_)
            return;
    }
    // The thread waits for us: its fields are stable until reportDone_ is set.
    try {
        Report();
    } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        reportDone_ = true;
        wake_.notify_all();
        throw;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    reportDone_ = true;
    wake_.notify_all();
}

void TConnectionStatus::Report()
{
    if (!polling_.load())
        return;
    reports_.fetch_add(1);
    const std::string text = StatusLine(lastResult_, values_, validMask_);
    if (update_)
        update_(text);
}

} // namespace tools700
