// The drive's side of the wire protocol, for the drive simulator and for tests that play a
// drive: decode a request frame, build reply frames and R-cal messages.
//
//   struct Sink : wire::ReceiverSink {
//       void OnFrame(const uint16_t* f) override {
//           wire::Request rq;
//           if (!wire::DecodeRequest(f, &rq) || rq.axis != myAxis) return;
//           if (rq.command == wire::CMD_GET_INT) {
//               wire::ReplyBuilder r(rq.seq, rq.command);
//               r.Put32(3, 1234);            // words 3-4: the value
//               Send(r.Encode());
//           }
//       }
//       void OnRCalValue(uint16_t) override {}
//   };
//   Feed every byte from the line to a wire::Receiver built on that sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools700/wire/Frame.h"
#include "tools700/wire/Messages.h"
#include "tools700/wire/Protocol.h"

namespace tools700::wire {

// A request as the drive sees it. `words` points into the frame given to DecodeRequest
// (words[0] = N); valid as long as that frame is.
struct Request {
    uint16_t seq = 0;
    uint8_t axis = 0;
    uint8_t command = 0;
    uint16_t count = 0;  // N
    const uint16_t* words = nullptr;

    // Word i of the request, 0 beyond N (a short request reads as zeros).
    uint16_t word(std::size_t i) const { return i <= count ? words[i] : 0; }
    uint32_t u32(std::size_t i) const { return static_cast<uint32_t>(word(i)) | (static_cast<uint32_t>(word(i + 1)) << 16); }
    int32_t i32(std::size_t i) const { return static_cast<int32_t>(u32(i)); }
    float f32(std::size_t i) const { return BitsFloat(u32(i)); }
};

// False for a frame too short to be a request (N < 2).
bool DecodeRequest(const uint16_t* frame, Request* out);

// Builds a reply: word 1 = seq, word 2 = 0x80 | code (the command on success, or a refusal
// code), then the words set with Set/Put32/PutFloat. N is the highest word set (at least 2),
// or the value given to SetCount.
class ReplyBuilder {
public:
    ReplyBuilder(uint16_t seq, uint8_t code);
    // Refusal reply: 0x80 | refusal code.
    static ReplyBuilder Refusal(uint16_t seq, uint8_t refusalCode) { return ReplyBuilder(seq, refusalCode); }

    ReplyBuilder& Set(std::size_t i, uint16_t v);
    ReplyBuilder& Put32(std::size_t i, uint32_t v);
    ReplyBuilder& PutInt(std::size_t i, int32_t v) { return Put32(i, static_cast<uint32_t>(v)); }
    ReplyBuilder& PutFloat(std::size_t i, float v) { return Put32(i, FloatBits(v)); }
    // Forces N (1..511), e.g. to send the full N of a kind with trailing zero words.
    ReplyBuilder& SetCount(uint16_t n);
    // Replaces word 2 entirely (tests of replies without the reply flag).
    ReplyBuilder& SetWord2(uint16_t v) { return Set(2, v); }

    const uint16_t* words() const { return w_; }
    uint16_t count() const { return w_[0]; }
    std::vector<uint8_t> Encode() const;
    std::size_t Encode(uint8_t* out, std::size_t cap) const;

private:
    uint16_t w_[kFrameBufferWords] {};
};

// The R-cal message: STX and four upper-case hex digits of the value, least significant first.
// Writes 5 bytes to out.
void BuildRCalMessage(uint16_t value, uint8_t out[5]);

}  // namespace tools700::wire
