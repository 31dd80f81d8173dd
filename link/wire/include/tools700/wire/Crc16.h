// CRC-16/MODBUS: reflected polynomial 0xA001, start 0xFFFF, no final inversion.
// Running the CRC over a frame's bytes followed by its own CRC (low byte first) leaves 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tools700::wire {

constexpr uint16_t kCrcStart = 0xFFFF;

namespace detail {
constexpr std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> t {};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t c = static_cast<uint16_t>(i);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
        t[i] = c;
    }
    return t;
}
inline constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();
}  // namespace detail

constexpr uint16_t CrcUpdate(uint16_t crc, uint8_t b)
{
    return static_cast<uint16_t>((crc >> 8) ^ detail::kCrcTable[(crc ^ b) & 0xFF]);
}

constexpr uint16_t Crc16(const uint8_t* data, std::size_t n, uint16_t crc = kCrcStart)
{
    for (std::size_t i = 0; i < n; ++i)
        crc = CrcUpdate(crc, data[i]);
    return crc;
}

}  // namespace tools700::wire
