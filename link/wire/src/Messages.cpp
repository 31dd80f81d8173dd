#include "tools700/wire/Messages.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tools700::wire {

int32_t ToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);  // truncates toward zero
}

uint16_t ReplyCheck(const uint16_t* w, uint8_t command)
{
    if ((w[2] & kReplyFlag) == 0)
        return kStatusNoResponse;
    const uint16_t r = w[2] & 0x7F;
    return r == command ? kStatusOk : r;
}

// ---- requests ---------------------------------------------------------------------------

GetVarRequest::GetVarRequest(uint8_t axis, uint8_t command, uint16_t id)
    : Message(count::kGetVarRequest)
{
    SetHeader(axis, command);
    w_[3] = id;
}

PutVarRequest::PutVarRequest(uint8_t axis, uint8_t command, uint16_t id, double value)
    : Message(count::kPutVarRequest)
{
    SetHeader(axis, command);
    w_[3] = id;
    if (command == CMD_PUT_INT)
        Put32(w_, 4, static_cast<uint32_t>(ToInt32(value)));
    else
        Put32(w_, 4, FloatBits(ToFloat(value)));
}

GetVarsRequest::GetVarsRequest(uint8_t axis, uint32_t intMask, const uint16_t ids[kVarSlots])
    : Message(count::kGetVarsRequest)
{
    SetHeader(axis, CMD_GET_VARS);
    Put32(w_, 3, intMask);
    for (int i = 0; i < kVarSlots; ++i)
        w_[5 + i] = ids[i];
}

PutVarsRequest::PutVarsRequest(uint8_t axis, uint32_t intMask, const uint16_t ids[kVarSlots],
                               const double values[kVarSlots])
    : Message(count::kPutVarsRequest)
{
    SetHeader(axis, CMD_PUT_VARS);
    Put32(w_, 3, intMask);
    for (int i = 0; i < kVarSlots; ++i) {
        w_[5 + i] = ids[i];
        const uint32_t bits = (intMask & (1u << i)) ? static_cast<uint32_t>(ToInt32(values[i]))
                                                    : FloatBits(ToFloat(values[i]));
        Put32(w_, 37 + 2 * static_cast<std::size_t>(i), bits);
    }
}

ExeCmdRequest::ExeCmdRequest(uint8_t axis, uint16_t id) : Message(count::kExeCmdRequest)
{
    SetHeader(axis, CMD_EXEC);
    w_[3] = id;
}

SetDriveAdrsRequest::SetDriveAdrsRequest(uint8_t axis, uint16_t newAddress)
    : Message(count::kSetDriveAdrsRequest)
{
    SetHeader(axis, CMD_SET_DRIVE_ADRS);
    w_[3] = newAddress;
}

ScopeRequest::ScopeRequest(uint8_t axis, uint16_t operation, uint16_t reserved, uint16_t timebase,
                           uint16_t triggerSource, uint32_t triggerLevelBits, uint16_t ch1Signal,
                           uint16_t ch2Signal)
    : Message(count::kScopeRequest)
{
    SetHeader(axis, CMD_READ_SCOPE);
    w_[3] = operation;
    w_[4] = reserved;
    w_[5] = timebase;
    w_[6] = triggerSource;
    Put32(w_, 7, triggerLevelBits);
    w_[9] = ch1Signal;
    w_[10] = ch2Signal;
}

UpcrRequest::UpcrRequest(uint8_t axis, uint16_t value, uint16_t operation)
    : Message(count::kUpcrRequest)
{
    SetHeader(axis, CMD_UPCR);
    w_[3] = operation;
    w_[4] = operation == kUpcrWrite ? value : 0;
}

LoadSegmentRequest::LoadSegmentRequest(uint8_t axis, uint16_t count, uint16_t control,
                                       uint16_t segment, const uint16_t* data)
    : Message(count::kLoadSegmentRequest)
{
    SetHeader(axis, CMD_LOAD_SEGMENT);
    if (count > kMaxSegmentWords)
        count = kMaxSegmentWords;
    if (data == nullptr)
        count = 0;
    w_[3] = control;
    w_[4] = segment;
    w_[5] = count;
    for (uint16_t i = 0; i < count; ++i)
        w_[6 + i] = data[i];  // the data words beyond the count go out as 0
}

// ---- replies ----------------------------------------------------------------------------

uint16_t GetVarReply::ReplyStatus() const
{
    const uint16_t s = ReplyCheck(w_, command_);
    if (s != kStatusOk)
        return s;
    return w_[0] == count::kGetVarReply ? kStatusOk : kStatusNoResponse;
}

double GetVarReply::Value() const
{
    const uint32_t bits = Get32(w_, 3);
    if (command_ == CMD_GET_INT)
        return static_cast<double>(static_cast<int32_t>(bits));
    return static_cast<double>(BitsFloat(bits));
}

double GetVarsReply::Value(int i) const
{
    if (i < 0 || i >= kVarSlots)
        return 0.0;
    const uint32_t bits = Get32(w_, 7 + 2 * static_cast<std::size_t>(i));
    if (IntMask() & (1u << i))
        return static_cast<double>(static_cast<int32_t>(bits));
    return static_cast<double>(BitsFloat(bits));
}

uint16_t ScopeReply::Decode(double* ch1, double* ch2) const
{
    uint16_t n = w_[3];
    if (n > kScopeSamples)
        n = kScopeSamples;
    // Only samples the reply carried: sample i needs words 8 + 2i and 9 + 2i.
    const uint16_t carried = w_[0] >= 9 ? static_cast<uint16_t>((w_[0] - 7) / 2) : 0;
    if (n > carried)
        n = carried;
    const double scale1 = BitsFloat(Get32(w_, 4));
    const double scale2 = BitsFloat(Get32(w_, 6));
    for (uint16_t i = 0; i < n; ++i) {
        ch1[i] = static_cast<int16_t>(w_[8 + 2 * i]) / scale1;
        ch2[i] = static_cast<int16_t>(w_[9 + 2 * i]) / scale2;
    }
    return n;
}

}  // namespace tools700::wire
