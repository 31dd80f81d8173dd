// The line statistics of GetLineStats700: the receive thread publishes its receiver's counts,
// the transports count what they send. Read from any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "tools700/wire/Receiver.h"

namespace tools700::link {

class LineStatistics {
public:
    static constexpr int kCount = 8;  // LINE_STAT_COUNT
    void FrameSent(std::size_t bytes);
    void Received(const wire::ReceiveCounts& counts);
    void ReplyUnmatched();
    // Copies the first n (at most kCount) counters in the order of comm700.h.
    void Copy(uint64_t* out, int n) const;

private:
    enum Index { kBytesSent, kFramesSent, kBytesReceived, kFramesReceived, kFramesDamaged, kBytesDiscarded,
                 kRepliesUnmatched, kRCalValues };
    void Store(Index i, uint64_t v) { values_[i].store(v, std::memory_order_relaxed); }
    std::atomic<uint64_t> values_[kCount] {};
};

}  // namespace tools700::link
