// Building frames: SOH, then the escaped count, words and CRC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tools700/wire/Crc16.h"
#include "tools700/wire/Protocol.h"

namespace tools700::wire {

// Writes one byte after the SOH with the escaping rule.
template <class PutByte>
inline void PutEscaped(uint8_t b, PutByte& put)
{
    if (b == kSOH) {
        put(kDLE);
        put(static_cast<uint8_t>(0x11));
    } else if (b == kDLE) {
        put(kDLE);
        put(static_cast<uint8_t>(0x00));
    } else {
        put(b);
    }
}

// Writes the frame of words[0] = N and words[1..N] through put(uint8_t). N must be <= 511;
// returns false (writing nothing) otherwise.
template <class PutByte>
inline bool WriteFrame(const uint16_t* words, PutByte&& put)
{
    const uint16_t n = words[0];
    if (n > kMaxFrameWords)
        return false;
    put(kSOH);
    uint16_t crc = kCrcStart;
    for (std::size_t i = 0; i <= n; ++i) {
        const uint8_t lo = static_cast<uint8_t>(words[i] & 0xFF);
        const uint8_t hi = static_cast<uint8_t>(words[i] >> 8);
        crc = CrcUpdate(crc, lo);
        crc = CrcUpdate(crc, hi);
        PutEscaped(lo, put);
        PutEscaped(hi, put);
    }
    PutEscaped(static_cast<uint8_t>(crc & 0xFF), put);
    PutEscaped(static_cast<uint8_t>(crc >> 8), put);
    return true;
}

// Encodes into out (capacity cap). Returns the byte count, or 0 when N > 511 or cap is short.
// A buffer of kMaxEncodedFrameBytes always suffices.
std::size_t EncodeFrame(const uint16_t* words, uint8_t* out, std::size_t cap);

// Convenience: the encoded bytes of words[0] = N, words[1..N] (empty when N > 511 or when
// the span holds fewer than N + 1 words).
std::vector<uint8_t> EncodeFrame(std::span<const uint16_t> words);

// The CRC of a frame's words (count and N words, unescaped).
uint16_t FrameCrc(const uint16_t* words);

}  // namespace tools700::wire
