// SweepExchange: what the scope window and the sweep analysis window share without knowing each
// other. The scope lends its history (as sweeps, oldest first) and says when a single sweep has
// ended; the analysis window keeps the reference sweep, which both windows draw behind their
// traces; the tuning wizard leaves the bandwidth it applied, from which the scope chooses the
// timebase of a step response. Everything runs on the user-interface thread.
#pragma once

#include "tools700/common/Sweep.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tools700 {

class SweepExchange {
public:
    using Listener = std::function<void()>;

    // The scope's history; without a source (no scope window) there is none.
    void SetHistorySource(std::function<std::vector<Sweep>()> source) { source_ = std::move(source); }
    bool HasHistory() const { return static_cast<bool>(source_); }
    std::vector<Sweep> History() const { return source_ ? source_() : std::vector<Sweep>(); }

    // The scope's single sweep has ended: each listener is told.
    void SweepEnded() const { Tell(sweepEnded_); }
    int OnSweepEnded(Listener listener) { return Add(sweepEnded_, std::move(listener)); }

    // The reference sweep (null: none); each listener is told of a change.
    void SetReference(std::shared_ptr<const Sweep> reference)
    {
        reference_ = std::move(reference);
        Tell(referenceChanged_);
    }
    const std::shared_ptr<const Sweep> &Reference() const { return reference_; }
    int OnReferenceChanged(Listener listener) { return Add(referenceChanged_, std::move(listener)); }

    // Forgets a listener (a window that goes before the session).
    void Remove(int id)
    {
        sweepEnded_.erase(id);
        referenceChanged_.erase(id);
    }

    // The velocity-loop bandwidth (Hz) the tuning wizard applied last; 0 when none.
    double StepBandwidthHz = 0.0;

private:
    int Add(std::map<int, Listener> &to, Listener listener)
    {
        to.emplace(++lastId_, std::move(listener));
        return lastId_;
    }
    static void Tell(const std::map<int, Listener> &listeners)
    {
        // A listener may add or remove listeners: the ones present at the start are told, each
        // only while it is still there.
        std::vector<int> ids;
        for (const auto &entry : listeners)
            ids.push_back(entry.first);
        for (int id : ids)
            if (const auto at = listeners.find(id); at != listeners.end())
                Listener(at->second)();
    }

    std::function<std::vector<Sweep>()> source_;
    std::shared_ptr<const Sweep> reference_;
    std::map<int, Listener> sweepEnded_, referenceChanged_;
    int lastId_ = 0;
};

} // namespace tools700
