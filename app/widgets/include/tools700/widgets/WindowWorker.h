// WindowWorker: a window's drive worker and the ways its jobs reach back to the window.
//
// The window runs its drive work with Run(): the work runs on the worker's thread (a DriveWorker,
// one per window), and what it found is shown by `done` on the window's thread afterwards. A
// question the work asks in the middle (through Questions()) is shown on the window's thread
// while the work waits for the answer, so exchanges and questions keep their order; progress
// reaches the window through Progress(). An error the work raises is shown in the error box, as
// one raised by a user action.
//
// Closing the window cancels (Cancel()): nothing the cancelled work still finds, asks or reports
// reaches the window, and the work ends at its next exchange. Destroying the window waits for the
// exchange in flight only.
#pragma once

#include "tools700/common/DriveWorker.h"
#include "tools700/common/Messages.h"
#include "tools700/config/ValueSet.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace tools700 {

// Runs `call` on the thread of `context` and waits until it has run; on that thread already, runs
// it at once. False when the caller stopped waiting because its job was cancelled (its
// LineStopWhen condition holds): a call not yet started is then dropped, one running is left to
// finish. What `call` writes must therefore be owned by the call itself (a shared pointer), not
// by the waiting caller's stack.
bool RunOnObjectThread(QObject *context, std::function<void()> call);

class WindowWorker {
public:
    // `window` is where results and questions go; `messages` shows the window's boxes (on the
    // window's thread).
    WindowWorker(QObject *window, Messages &messages);
    // Cancels and waits for the exchange in flight.
    ~WindowWorker();
    WindowWorker(const WindowWorker &) = delete;
    WindowWorker &operator=(const WindowWorker &) = delete;

    // Runs `work` on the worker; then, unless the work was cancelled meanwhile, `done` on the
    // window's thread, or the error box when `work` raised an error; `settled` runs after either
    // (the window takes back what it held for the work).
    void Run(std::function<void()> work, std::function<void()> done = {}, std::function<void()> settled = {});
    template <class T>
    void Run(std::function<T()> work, std::function<void(const T &)> done, std::function<void()> settled = {})
    {
        auto result = std::make_shared<std::optional<T>>();
        Run([work = std::move(work), result] { result->emplace(work()); },
            [done = std::move(done), result] {
                if (*result && done)
                    done(**result);
            },
            std::move(settled));
    }
    // Drops the work not yet started and cancels the running one.
    void Cancel();
    // True while work runs or waits to run.
    bool Busy() const { return worker_.Busy(); }

    // For the work: asks on the window's thread and waits; cancelled work gets Closed, unshown.
    Messages &Questions() { return questions_; }
    // For the work: the latest fraction reaches `show` on the window's thread.
    ProgressFn Progress(std::function<void(double)> show);
    // For the work: queues `call` on the window's thread, dropped if the work is cancelled first.
    void Post(std::function<void()> call);
    // For the work: runs `call` on the window's thread and waits (see RunOnObjectThread).
    bool RunOnWindowThread(std::function<void()> call);

    DriveWorker &Worker() { return worker_; }

private:
    class WindowQuestions : public Messages {
    public:
        explicit WindowQuestions(WindowWorker &owner) : owner_(owner) {}
        Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override;

    private:
        WindowWorker &owner_;
    };

    QObject *window_;
    Messages &messages_;
    WindowQuestions questions_{*this};
    DriveWorker worker_;
};

} // namespace tools700
