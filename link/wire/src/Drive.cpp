#include "tools700/wire/Drive.h"

namespace tools700::wire {

bool DecodeRequest(const uint16_t* frame, Request* out)
{
    if (frame == nullptr || out == nullptr || frame[0] < 2 || frame[0] > kMaxFrameWords)
        return false;
    out->count = frame[0];
    out->seq = frame[1];
    out->axis = static_cast<uint8_t>(frame[2] >> 8);
    out->command = static_cast<uint8_t>(frame[2] & 0xFF);
    out->words = frame;
    return true;
}

ReplyBuilder::ReplyBuilder(uint16_t seq, uint8_t code)
{
    w_[0] = 2;
    w_[1] = seq;
    w_[2] = static_cast<uint16_t>(kReplyFlag | (code & 0x7F));
}

ReplyBuilder& ReplyBuilder::Set(std::size_t i, uint16_t v)
{
    if (i >= 1 && i <= kMaxFrameWords) {
        w_[i] = v;
        if (i > w_[0])
            w_[0] = static_cast<uint16_t>(i);
    }
    return *this;
}

ReplyBuilder& ReplyBuilder::Put32(std::size_t i, uint32_t v)
{
    Set(i, static_cast<uint16_t>(v & 0xFFFF));
    Set(i + 1, static_cast<uint16_t>(v >> 16));
    return *this;
}

ReplyBuilder& ReplyBuilder::SetCount(uint16_t n)
{
    if (n >= 1 && n <= kMaxFrameWords) {
        for (std::size_t i = static_cast<std::size_t>(n) + 1; i <= w_[0]; ++i)
            w_[i] = 0;
        w_[0] = n;
    }
    return *this;
}

std::vector<uint8_t> ReplyBuilder::Encode() const
{
    return EncodeFrame(std::span<const uint16_t>(w_, static_cast<std::size_t>(w_[0]) + 1));
}

std::size_t ReplyBuilder::Encode(uint8_t* out, std::size_t cap) const
{
    return EncodeFrame(w_, out, cap);
}

void BuildRCalMessage(uint16_t value, uint8_t out[5])
{
    static const char kHex[] = "0123456789ABCDEF";
    out[0] = kSTX;
    for (int i = 0; i < 4; ++i)
        out[1 + i] = static_cast<uint8_t>(kHex[(value >> (4 * i)) & 0xF]);
}

}  // namespace tools700::wire
