// The receive state machine: turns the bytes of the line into whole, CRC-checked frames and
// R-cal values. Used by the host's receive thread and by the drive simulator alike.
//
//   HUNT     SOH: start a frame -> IN_FRAME;  STX -> HEX1;  other bytes ignored.
//   IN_FRAME SOH: start a frame (the partial one is dropped); DLE -> ESCAPED;
//            other bytes go to frame assembly (-> HUNT when the frame ended).
//   ESCAPED  SOH: start a frame -> IN_FRAME; other b: assembly gets b ^ 0x10.
//   HEX1..HEX4: one hex digit each, least significant first; after HEX4 the value is posted.
//
// Frame assembly: COUNT_LO, COUNT_HI (N >= 512 abandons the frame; N = 0 goes straight to the
// CRC), WORD_LO/WORD_HI for N words, CRC_LO, CRC_HI (delivered when the running CRC is 0),
// DONE. A frame with a bad CRC is dropped silently.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tools700/wire/Protocol.h"

namespace tools700::wire {

enum class RxState : uint8_t { HUNT, ESCAPED, IN_FRAME, HEX1, HEX2, HEX3, HEX4 };
enum class AsmState : uint8_t { COUNT_LO, COUNT_HI, WORD_LO, WORD_HI, CRC_LO, CRC_HI, DONE };

// The value of one hex digit: '0'..'9', 'A'..'F', 'a'..'f'; 0 for any other byte.
constexpr uint16_t HexDigit(uint8_t b)
{
    if (b >= '0' && b <= '9')
        return static_cast<uint16_t>(b - '0');
    if (b >= 'A' && b <= 'F')
        return static_cast<uint16_t>(b - 'A' + 10);
    if (b >= 'a' && b <= 'f')
        return static_cast<uint16_t>(b - 'a' + 10);
    return 0;
}

// What the receiver has seen since it was made: the line's receive statistics. A frame is
// damaged when its CRC fails, its count is 512 or more, or an SOH cuts it short; a byte is
// discarded when it arrives between frames and starts neither a frame nor an R-cal value.
struct ReceiveCounts {
    uint64_t bytes = 0;
    uint64_t frames = 0;          // delivered with a good CRC
    uint64_t damagedFrames = 0;
    uint64_t discardedBytes = 0;
    uint64_t rcalValues = 0;
};

class ReceiverSink {
public:
    virtual ~ReceiverSink() = default;
    // A frame with a good CRC: frame[0] = N, frame[1..N] its words. Valid during the call only.
    virtual void OnFrame(const uint16_t* frame) = 0;
    // An R-cal value (STX and four hex digits between frames).
    virtual void OnRCalValue(uint16_t value) = 0;
};

class Receiver {
public:
    explicit Receiver(ReceiverSink& sink) : sink_(sink) {}

    // Back to HUNT (the receive thread does this at every start).
    void Reset();
    void Feed(uint8_t b);
    void Feed(const uint8_t* data, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            Feed(data[i]);
    }

    // Counted before the sink hears of the byte's outcome, so a sink may publish them.
    const ReceiveCounts& counts() const { return counts_; }

    // Inspection (tests, fuzzing).
    RxState state() const { return state_; }
    AsmState assembly() const { return asm_; }
    uint16_t crc() const { return crc_; }
    uint16_t remaining() const { return remaining_; }
    std::size_t cursor() const { return cursor_; }
    uint16_t rcalValue() const { return rcal_; }
    const uint16_t* frame() const { return frame_; }

private:
    void StartFrame();
    void CutShort();  // an SOH inside a frame: the partial one is dropped
    bool Assemble(uint8_t b);  // true when the frame ended (delivered, abandoned or dropped)

    ReceiverSink& sink_;
    RxState state_ = RxState::HUNT;
    AsmState asm_ = AsmState::DONE;
    std::size_t cursor_ = 0;
    uint16_t remaining_ = 0;
    uint16_t crc_ = 0xFFFF;
    uint16_t rcal_ = 0;
    uint16_t frame_[kFrameBufferWords] {};
    ReceiveCounts counts_;
};

}  // namespace tools700::wire
