#include "LineStatistics.h"

namespace tools700::link {

void LineStatistics::FrameSent(std::size_t bytes)
{
    values_[kBytesSent].fetch_add(bytes, std::memory_order_relaxed);
    values_[kFramesSent].fetch_add(1, std::memory_order_relaxed);
}

void LineStatistics::Received(const wire::ReceiveCounts& counts)
{
    // Only the receive thread writes these: plain stores of its receiver's running totals.
    Store(kBytesReceived, counts.bytes);
    Store(kFramesReceived, counts.frames);
    Store(kFramesDamaged, counts.damagedFrames);
    Store(kBytesDiscarded, counts.discardedBytes);
    Store(kRCalValues, counts.rcalValues);
}

void LineStatistics::ReplyUnmatched() { values_[kRepliesUnmatched].fetch_add(1, std::memory_order_relaxed); }

void LineStatistics::Copy(uint64_t* out, int n) const
{
    for (int i = 0; i < n && i < kCount; ++i)
        out[i] = values_[i].load(std::memory_order_relaxed);
}

}  // namespace tools700::link
