#include "tools700/common/DriveWorker.h"

#include "tools700/common/Line.h"

namespace tools700 {

namespace {

thread_local DriveWorker *t_worker = nullptr;
thread_local std::uint64_t t_ticket = 0;

} // namespace

DriveWorker::~DriveWorker() { Stop(); }

std::uint64_t DriveWorker::Post(Job job)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t ticket = generation_.load();
    if (ending_.load())
        return ticket;
    queue_.push_back({ticket, std::move(job)});
    if (!thread_.joinable())
        thread_ = std::thread([this] { Loop(); });
    changed_.notify_all();
    return ticket;
}

void DriveWorker::Cancel()
{
    std::deque<Queued> dropped;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        generation_.fetch_add(1);
        dropped.swap(queue_);
        changed_.notify_all();
    }
    // A running job waiting for its turn on the line stops waiting now.
    WakeLineWaiters();
    // The dropped jobs (and what they hold) go here, on the caller's thread, outside the lock.
}

void DriveWorker::Stop()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_.store(true);
    }
    Cancel();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool DriveWorker::Busy() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return running_ || !queue_.empty();
}

bool DriveWorker::CurrentJobCancelled() { return t_worker != nullptr && t_worker->Cancelled(t_ticket); }

DriveWorker *DriveWorker::Current() { return t_worker; }

std::uint64_t DriveWorker::CurrentTicket() { return t_ticket; }

void DriveWorker::Loop()
{
    t_worker = this;
    const LineStopWhen stop([] { return CurrentJobCancelled(); });
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_.load() || !queue_.empty(); });
        if (queue_.empty())
            break; // ending, nothing left
        Queued next = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        t_ticket = next.ticket;
        if (!Cancelled(next.ticket)) {
            try {
                next.job();
            } catch (...) {
                // A job hands its own errors on (WindowWorker takes them to the window); one
                // that lets an error out must not end the program from this thread.
            }
        }
        // The job's captures go before the next job starts.
        next.job = nullptr;
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
    t_worker = nullptr;
}

} // namespace tools700
