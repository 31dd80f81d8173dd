// Request and reply messages of the drive link. A message is a word area (word 0 = N, then N
// words); requests fill everything but word 1 (the sequence number, stamped by the exchange),
// replies start with word 0 = the largest N they accept and word 2 = 0 (no reply flag) and
// decode the words a drive copied in.
//
// ReplyStatus() turns a received reply into a link status (0 success, 4 no usable reply,
// or the drive's refusal code 65..127); ReplyTimeout() is how long the exchange waits for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tools700/wire/Protocol.h"

namespace tools700::wire {

// Link status values the messages produce (same numbers as the library's status codes).
constexpr uint16_t kStatusOk = 0;
constexpr uint16_t kStatusNoResponse = 4;

// 32-bit values take two words, low word first.
inline uint32_t Get32(const uint16_t* w, std::size_t i)
{
    return static_cast<uint32_t>(w[i]) | (static_cast<uint32_t>(w[i + 1]) << 16);
}
inline void Put32(uint16_t* w, std::size_t i, uint32_t v)
{
    w[i] = static_cast<uint16_t>(v & 0xFFFF);
    w[i + 1] = static_cast<uint16_t>(v >> 16);
}
inline uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}
inline float BitsFloat(uint32_t u)
{
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// A double for an integer variable: truncated toward zero; values beyond the 32-bit range
// are clamped to INT32_MIN/INT32_MAX and NaN becomes 0 (a plain cast would be undefined).
int32_t ToInt32(double v);
// A double for a float variable: rounded to the nearest float.
inline float ToFloat(double v) { return static_cast<float>(v); }

// The reply check: bit 7 of word 2 clear -> 4; else the low 7 bits equal to `command` -> 0;
// else those 7 bits (the drive's refusal).
uint16_t ReplyCheck(const uint16_t* w, uint8_t command);

class Message {
public:
    // The largest word area of any kind (the scope reply: words 0..207).
    static constexpr std::size_t kCapacity = 208;

    virtual ~Message() = default;
    virtual uint16_t ReplyStatus() const { return kStatusOk; }
    virtual int ReplyTimeout() const { return 500; }

    uint16_t* words() { return w_; }
    const uint16_t* words() const { return w_; }
    uint16_t count() const { return w_[0]; }
    uint16_t word(std::size_t i) const { return i < kCapacity ? w_[i] : 0; }

protected:
    explicit Message(uint16_t n) { w_[0] = n; }
    Message(const Message&) = default;
    Message& operator=(const Message&) = default;
    // Request header: word 2 = axis << 8 | command.
    void SetHeader(uint8_t axis, uint8_t command)
    {
        w_[2] = static_cast<uint16_t>((static_cast<uint16_t>(axis) << 8) | command);
    }

    uint16_t w_[kCapacity] {};
};

// ---- requests ---------------------------------------------------------------------------

class GetVarRequest : public Message {
public:
    GetVarRequest(uint8_t axis, uint8_t command, uint16_t id);
};

class PutVarRequest : public Message {
public:
    PutVarRequest(uint8_t axis, uint8_t command, uint16_t id, double value);
};

class GetVarsRequest : public Message {
public:
    GetVarsRequest(uint8_t axis, uint32_t intMask, const uint16_t ids[kVarSlots]);
};

class PutVarsRequest : public Message {
public:
    PutVarsRequest(uint8_t axis, uint32_t intMask, const uint16_t ids[kVarSlots],
                   const double values[kVarSlots]);
};

class ExeCmdRequest : public Message {
public:
    ExeCmdRequest(uint8_t axis, uint16_t id);
};

class SetDriveAdrsRequest : public Message {
public:
    SetDriveAdrsRequest(uint8_t axis, uint16_t newAddress);
};

class ScopeRequest : public Message {
public:
    ScopeRequest(uint8_t axis, uint16_t operation, uint16_t reserved, uint16_t timebase,
                 uint16_t triggerSource, uint32_t triggerLevelBits, uint16_t ch1Signal,
                 uint16_t ch2Signal);
};

class UpcrRequest : public Message {
public:
    UpcrRequest(uint8_t axis, uint16_t value, uint16_t operation);
};

class LoadSegmentRequest : public Message {
public:
    // Copies the first `count` data words (count is clamped to 64; data may be null when
    // count is 0); the rest of the 64 data words are sent as 0.
    LoadSegmentRequest(uint8_t axis, uint16_t count, uint16_t control, uint16_t segment,
                       const uint16_t* data);
};

// ---- replies ----------------------------------------------------------------------------

class ReplyMessage : public Message {
protected:
    explicit ReplyMessage(uint16_t n) : Message(n) { w_[2] = 0; }
};

class GetVarReply : public ReplyMessage {
public:
    explicit GetVarReply(uint8_t command) : ReplyMessage(count::kGetVarReply), command_(command) {}
    uint16_t ReplyStatus() const override;
    double Value() const;
    uint8_t command() const { return command_; }

private:
    uint8_t command_;
};

class PutVarReply : public ReplyMessage {
public:
    explicit PutVarReply(uint8_t command) : ReplyMessage(count::kPutVarReply), command_(command) {}
    uint16_t ReplyStatus() const override { return ReplyCheck(w_, command_); }

private:
    uint8_t command_;
};

class GetVarsReply : public ReplyMessage {
public:
    GetVarsReply() : ReplyMessage(count::kGetVarsReply) {}
    uint16_t ReplyStatus() const override { return ReplyCheck(w_, CMD_GET_VARS); }
    uint32_t IntMask() const { return Get32(w_, 3); }
    uint32_t ValidMask() const { return Get32(w_, 5); }
    double Value(int i) const;  // 0.0 for i outside 0..31
};

class PutVarsReply : public ReplyMessage {
public:
    PutVarsReply() : ReplyMessage(count::kPutVarsReply) {}
    uint16_t ReplyStatus() const override { return ReplyCheck(w_, CMD_PUT_VARS); }
    uint32_t Result() const { return Get32(w_, 3); }
};

class ExeCmdReply : public ReplyMessage {
public:
    ExeCmdReply() : ReplyMessage(count::kExeCmdReply) {}
    uint16_t ReplyStatus() const override { return ReplyCheck(w_, CMD_EXEC); }
    int ReplyTimeout() const override { return 5000; }
};

class SetDriveAdrsReply : public ReplyMessage {
public:
    SetDriveAdrsReply() : ReplyMessage(count::kSetDriveAdrsReply) {}
    uint16_t ReplyStatus() const override { return ReplyCheck(w_, CMD_SET_DRIVE_ADRS); }
};

class ScopeReply : public ReplyMessage {
public:
    ScopeReply() : ReplyMessage(count::kScopeReply) {}
    uint16_t ReplyStatus() const override { return ReplyCheck(w_, CMD_READ_SCOPE); }
    int ReplyTimeout() const override { return 2000; }
    // The sample count the drive announced (word 3).
    uint16_t AnnouncedCount() const { return w_[3]; }
    // Decodes the samples into ch1/ch2 (100 entries each) and returns how many were written:
    // the announced count, limited to 100 and to the samples the reply actually carried.
    uint16_t Decode(double* ch1, double* ch2) const;
};

class UpcrReply : public ReplyMessage {
public:
    UpcrReply() : ReplyMessage(count::kUpcrReply) {}
    uint16_t Status() const { return w_[3]; }
    uint16_t Value() const { return w_[4]; }
};

class LoadSegmentReply : public ReplyMessage {
public:
    LoadSegmentReply() : ReplyMessage(count::kLoadSegmentReply) {}
    // A segment is programmed before the drive answers: give it 1000 ms.
    int ReplyTimeout() const override { return 1000; }
    uint16_t SegmentStatus() const { return w_[4]; }
    uint16_t ReplyWord() const { return w_[5]; }
};

}  // namespace tools700::wire
