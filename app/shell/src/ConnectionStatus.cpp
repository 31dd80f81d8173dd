#include "tools700/shell/ConnectionStatus.h"

#include "comm700.h"
#include "tools700/common/Line.h"
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

TConnectionStatus::TConnectionStatus(UpdateFn update, PollFn poll, ReadFn read, QObject *parent)
    : QObject(parent), update_(std::move(update)), poll_(std::move(poll)), read_(std::move(read))
{
    if (!poll_)
        poll_ = [](const char *const *names, double *values, int *mask) { return line::GetVars700(names, values, mask); };
    if (!read_)
        read_ = [](const std::string &text) { return ReadStatus(text != "No connection"); };
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
        stopLine_.store(true);
    }
    wake_.notify_all();
    WakeLineWaiters();
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
    // Told to end, the thread stops waiting for its turn on the line and makes no more exchanges.
    const LineStopWhen stop([this] { return stopLine_.load(); });
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
        for (int i = 0; i < 4; ++i) {
            if (mask & (1 << i))
                shown_[i] = values[i];
        }
        const std::string text = StatusLine(result, shown_, mask);
        // The status update's reads, here rather than on the user-interface thread; none when
        // the report would be dropped anyway.
        StatusReading reading;
        if (polling_.load())
            reading = read_(text);
        lock.lock();
        if (terminated_)
            break;
        lastResult_ = result;
        text_ = text;
        reading_ = reading;
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
    if (update_)
        update_(text_, reading_);
}

} // namespace tools700
