// Writes reply frames and R-cal messages to the line: optional pacing at 19200 bit/s and the
// fault injection of --drop and --corrupt, which touch reply bytes only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "SimOptions.h"
#include "Transport.h"

namespace drivesim {

class LineWriter {
public:
    // `whileWaiting` runs whenever the writer must wait for room on the line, so the host's
    // bytes are read meanwhile (a long request may be arriving while a reply goes out). Once
    // `stop` is set, nothing more is written.
    LineWriter(Transport& transport, const SimOptions& options, std::function<void()> whileWaiting,
               const std::atomic<bool>& stop);

    // Sends a reply frame, damaged as the options ask.
    void SendReply(const std::vector<std::uint8_t>& bytes);
    // Sends bytes as they are (R-cal messages).
    void SendRaw(const std::uint8_t* bytes, std::size_t n);

    std::uint64_t Dropped() const { return dropped_; }
    std::uint64_t Corrupted() const { return corrupted_; }

private:
    void Put(std::uint8_t byte);

    Transport& transport_;
    const SimOptions& options_;
    std::function<void()> whileWaiting_;
    const std::atomic<bool>& stop_;
    std::mt19937_64 random_;
    std::chrono::steady_clock::time_point nextByte_;
    std::uint64_t dropped_ = 0;
    std::uint64_t corrupted_ = 0;
};

}  // namespace drivesim
