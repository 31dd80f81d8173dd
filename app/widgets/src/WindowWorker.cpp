#include "tools700/widgets/WindowWorker.h"

#include "tools700/common/Line.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/HandOver.h"

#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace tools700 {

namespace {

// How often a caller waiting for the window's thread looks whether it was told to stop.
constexpr auto kStopLookInterval = std::chrono::milliseconds(20);

} // namespace

bool RunOnObjectThread(QObject *context, std::function<void()> call)
{
    if (context == nullptr || QThread::currentThread() == context->thread()) {
        call();
        return true;
    }
    struct State {
        std::mutex mutex;
        std::condition_variable ran;
        bool started = false;
        bool done = false;
        bool abandoned = false;
    };
    auto state = std::make_shared<State>();
    PostToObjectThread(context, [state, call = std::move(call)] {
        {
            const std::lock_guard<std::mutex> lock(state->mutex);
            if (state->abandoned)
                return;
            state->started = true;
        }
        struct Done {
            State &s;
            ~Done()
            {
                const std::lock_guard<std::mutex> lock(s.mutex);
                s.done = true;
                s.ran.notify_all();
            }
        } done{*state};
        call();
    });
    std::unique_lock<std::mutex> lock(state->mutex);
    while (!state->done) {
        if (LineStopRequested()) {
            state->abandoned = true;
            return false;
        }
        state->ran.wait_for(lock, kStopLookInterval);
    }
    return true;
}

WindowWorker::WindowWorker(QObject *window, Messages &messages) : window_(window), messages_(messages) {}

WindowWorker::~WindowWorker() { worker_.Stop(); }

void WindowWorker::Cancel() { worker_.Cancel(); }

void WindowWorker::Run(std::function<void()> work, std::function<void()> done, std::function<void()> settled)
{
    worker_.Post([this, work = std::move(work), done = std::move(done), settled = std::move(settled)] {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        if (DriveWorker::CurrentJobCancelled())
            return;
        Post([error, done, settled] {
            RunAction([&] {
                if (error)
                    std::rethrow_exception(error);
                if (done)
                    done();
            });
            if (settled)
                RunAction(settled);
        });
    });
}

void WindowWorker::Post(std::function<void()> call)
{
    DriveWorker *worker = DriveWorker::Current();
    const std::uint64_t ticket = DriveWorker::CurrentTicket();
    PostToObjectThread(window_, [worker, ticket, call = std::move(call)] {
        // Read on the window's thread: a Cancel() made there before this call ran wins.
        if (worker != nullptr && worker->Cancelled(ticket))
            return;
        call();
    });
}

bool WindowWorker::RunOnWindowThread(std::function<void()> call)
{
    if (DriveWorker::CurrentJobCancelled())
        return false;
    return RunOnObjectThread(window_, std::move(call));
}

ProgressFn WindowWorker::Progress(std::function<void(double)> show)
{
    struct Latest {
        std::atomic<double> fraction{0};
        std::atomic<bool> queued{false};
    };
    auto latest = std::make_shared<Latest>();
    return [this, latest, show = std::move(show)](double fraction) {
        latest->fraction.store(fraction);
        // One queued call at a time shows the latest fraction: a fast transfer does not flood
        // the window's queue.
        if (latest->queued.exchange(true))
            return;
        Post([latest, show] {
            latest->queued.store(false);
            if (show)
                show(latest->fraction.load());
        });
    };
}

Answer WindowWorker::WindowQuestions::Show(BoxKind kind, const std::string &text, unsigned buttons)
{
    if (QThread::currentThread() == owner_.window_->thread())
        return owner_.messages_.Show(kind, text, buttons);
    auto answer = std::make_shared<Answer>(Answer::Closed);
    Messages &messages = owner_.messages_;
    if (!owner_.RunOnWindowThread([answer, &messages, kind, text, buttons] { *answer = messages.Show(kind, text, buttons); }))
        return Answer::Closed;
    return *answer;
}

} // namespace tools700
