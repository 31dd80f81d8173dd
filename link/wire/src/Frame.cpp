#include "tools700/wire/Frame.h"

namespace tools700::wire {

std::size_t EncodeFrame(const uint16_t* words, uint8_t* out, std::size_t cap)
{
    std::size_t n = 0;
    bool overflow = false;
    auto put = [&](uint8_t b) {
        if (n < cap)
            out[n++] = b;
        else
            overflow = true;
    };
    if (!WriteFrame(words, put) || overflow)
        return 0;
    return n;
}

std::vector<uint8_t> EncodeFrame(std::span<const uint16_t> words)
{
    std::vector<uint8_t> out;
    if (words.empty() || words.size() < static_cast<std::size_t>(words[0]) + 1)
        return out;
    out.reserve(kMaxEncodedFrameBytes);
    WriteFrame(words.data(), [&](uint8_t b) { out.push_back(b); });
    return out;
}

uint16_t FrameCrc(const uint16_t* words)
{
    uint16_t crc = kCrcStart;
    for (std::size_t i = 0; i <= words[0]; ++i) {
        crc = CrcUpdate(crc, static_cast<uint8_t>(words[i] & 0xFF));
        crc = CrcUpdate(crc, static_cast<uint8_t>(words[i] >> 8));
    }
    return crc;
}

}  // namespace tools700::wire
