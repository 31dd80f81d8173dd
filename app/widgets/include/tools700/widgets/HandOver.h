#pragma once
// Runs a call on the thread of a Qt object, posted from another thread.
//
// Qt's event queue is what orders the posting thread's work before the call, but Qt is not built
// with ThreadSanitizer and locks that queue with futexes the sanitizer cannot see. So a call
// handed over this way announces the hand-over to it: the posting thread releases the call's own
// address once the call is in place, and the receiving thread acquires it before the call runs or
// goes unrun (and releases it after the run, for the posting thread may destroy the call last). Everything else stays visible to the sanitizer, so a race in the called code is
// still reported, Qt frames below it or not. In a normal build the announcements are empty.

#include <QMetaObject>
#include <QObject>

#include <utility>

#if defined(__SANITIZE_THREAD__)
#define TOOLS700_HANDOVER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOOLS700_HANDOVER_TSAN 1
#endif
#endif

#ifdef TOOLS700_HANDOVER_TSAN
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
#endif

namespace tools700 {

template <class F>
class HandedOverCall
{
public:
    explicit HandedOverCall(F call) : call_(std::move(call)) { Release(); }
    // Qt moves the call into its own slot object last; that copy is the one the other thread runs.
    HandedOverCall(HandedOverCall &&other) noexcept : call_(std::move(other.call_)) { Release(); }
    HandedOverCall(const HandedOverCall &) = delete;
    HandedOverCall &operator=(const HandedOverCall &) = delete;
    HandedOverCall &operator=(HandedOverCall &&) = delete;
    // An event dropped unrun (its receiver went first) is destroyed on another thread as well; so
    // is one that ran, when the posting thread drops its reference to Qt's slot object last.
    ~HandedOverCall() { Acquire(); }

    void operator()()
    {
        Acquire();
        call_();
        // What the call read of itself comes before its destruction on the posting thread.
        Release();
    }

private:
    void Release()
    {
#ifdef TOOLS700_HANDOVER_TSAN
        __tsan_release(this);
#endif
    }
    void Acquire()
    {
#ifdef TOOLS700_HANDOVER_TSAN
        __tsan_acquire(this);
#endif
    }

    F call_;
};

// Queues `call` to run on the thread `context` lives in; it is dropped if `context` goes first.
template <class F>
void PostToObjectThread(QObject *context, F call)
{
    QMetaObject::invokeMethod(context, HandedOverCall<F>(std::move(call)), Qt::QueuedConnection);
}

} // namespace tools700
