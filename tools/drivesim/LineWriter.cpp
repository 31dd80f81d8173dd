#include "LineWriter.h"

#include <thread>

namespace drivesim {

namespace {
// One start bit, eight data bits and one stop bit at 19200 bit/s.
constexpr auto kByteTime = std::chrono::nanoseconds(10'000'000'000LL / 19200);
// Longer behind than this, the line was idle rather than late.
constexpr auto kIdleLine = std::chrono::milliseconds(2);
// A reply the host has not taken after this long is given up (its wait ended long ago).
constexpr auto kGiveUp = std::chrono::seconds(5);
}  // namespace

LineWriter::LineWriter(Transport& transport, const SimOptions& options,
                       std::function<void()> whileWaiting, const std::atomic<bool>& stop)
    : transport_(transport), options_(options), whileWaiting_(std::move(whileWaiting)), stop_(stop),
      random_(options.seed), nextByte_(std::chrono::steady_clock::now())
{
}

void LineWriter::Put(std::uint8_t byte)
{
    if (options_.pace) {
        // As a UART: the bytes of a reply follow each other at the line's rate. A byte sent late
        // (the sleep overshot) is made up by the next ones, so lateness does not add up over a
        // reply; only after an idle line does the clock start again from now.
        auto now = std::chrono::steady_clock::now();
        if (nextByte_ + kIdleLine < now) nextByte_ = now;
        if (nextByte_ > now) std::this_thread::sleep_until(nextByte_);
        nextByte_ += kByteTime;
    }
    auto deadline = std::chrono::steady_clock::now() + kGiveUp;
    while (!transport_.TryWrite(byte)) {
        if (stop_.load() || std::chrono::steady_clock::now() > deadline) return;
        if (whileWaiting_) whileWaiting_();
        transport_.WaitWritable(1.0);
    }
}

void LineWriter::SendReply(const std::vector<std::uint8_t>& bytes)
{
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::uniform_int_distribution<int> mask(1, 255);
    for (std::uint8_t b : bytes) {
        if (stop_.load()) return;
        if (options_.dropFraction > 0 && chance(random_) < options_.dropFraction) {
            ++dropped_;
            continue;
        }
        if (options_.corruptFraction > 0 && chance(random_) < options_.corruptFraction) {
            b = static_cast<std::uint8_t>(b ^ mask(random_));
            ++corrupted_;
        }
        Put(b);
    }
}

void LineWriter::SendRaw(const std::uint8_t* bytes, std::size_t n)
{
    for (std::size_t i = 0; i < n && !stop_.load(); ++i) Put(bytes[i]);
}

}  // namespace drivesim
