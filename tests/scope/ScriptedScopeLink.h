// A scripted stand-in for the drive's scope over the link: each fetch or arm takes the next
// scripted reply (status and sample count; the samples say which reply they came from) and every
// request's arguments are recorded. Called from the pump's thread and the test's at once.
#pragma once

#include "tools700/scope/DataPump.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace testutil {

struct ScopeCall {
    std::uint16_t kind, reserved, timebase, trigger;
    std::uint32_t levelBits;
    std::uint16_t ch1, ch2;
};

struct ScopeReply {
    int status = 0;
    std::uint16_t count = 100;
    double ch1 = 0; // every sample of channel 1 (channel 2 gets its negative)
};

class ScriptedScopeLink {
public:
    // Replies after the script has run out.
    explicit ScriptedScopeLink(ScopeReply fallback = {}) : fallback_(fallback) {}

    void Queue(ScopeReply reply)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        script_.push_back(reply);
    }
    // Runs inside the next arm request (on the caller's thread), before it returns.
    void DuringArm(std::function<void()> step)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        duringArm_ = std::move(step);
    }
    // Runs inside every fetch, before it returns.
    void DuringFetch(std::function<void()> step)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        duringFetch_ = std::move(step);
    }

    std::vector<ScopeCall> Calls() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    // True when the newest arm request was followed by a fetch (a sweep's frame came after it).
    bool FetchedSinceArm() const
    {
        bool fetched = false;
        for (const ScopeCall &c : Calls())
            fetched = c.kind == tools700::scope::kArmRequest ? false : fetched || c.kind == tools700::scope::kFetchRequest;
        return fetched;
    }
    int Fetches() const
    {
        int n = 0;
        for (const ScopeCall &c : Calls())
            n += c.kind == tools700::scope::kFetchRequest;
        return n;
    }

    tools700::scope::ScopeReader Reader()
    {
        return [this](std::uint16_t kind, std::uint16_t reserved, std::uint16_t timebase, std::uint16_t trigger,
                      std::uint32_t level, std::uint16_t ch1, std::uint16_t ch2, double *s1, double *s2,
                      std::uint16_t *count) {
            ScopeReply reply;
            std::function<void()> step;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                calls_.push_back({kind, reserved, timebase, trigger, level, ch1, ch2});
                if (!script_.empty()) {
                    reply = script_.front();
                    script_.pop_front();
                } else {
                    reply = fallback_;
                }
                step = kind == tools700::scope::kArmRequest ? duringArm_ : duringFetch_;
                if (kind == tools700::scope::kArmRequest)
                    duringArm_ = nullptr;
            }
            if (step)
                step();
            *count = reply.status == 0 ? reply.count : 0;
            for (int i = 0; i < *count; ++i) {
                s1[i] = reply.ch1;
                s2[i] = -reply.ch1;
            }
            return reply.status;
        };
    }

private:
    mutable std::mutex mutex_;
    std::deque<ScopeReply> script_;
    ScopeReply fallback_;
    std::function<void()> duringArm_, duringFetch_;
    std::vector<ScopeCall> calls_;
};

} // namespace testutil
