// CRC-16/MODBUS, frame building and escaping.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools700/wire/Crc16.h"
#include "tools700/wire/Frame.h"
#include "tools700/wire/Messages.h"

using namespace tools700::wire;

TEST(WireCrc, MatchesTheModbusCheckValueAndTable)
{
    const char* text = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(text), std::strlen(text)), 0x4B37);
    EXPECT_EQ(detail::kCrcTable[1], 0xC0C1);
    EXPECT_EQ(detail::kCrcTable[0], 0x0000);
}

TEST(WireCrc, FrameBytesFollowedByTheirCrcLeaveZero)
{
    const uint8_t bytes[] = {0x03, 0x00, 0x02, 0x00, 0x01, 0xFF, 0x2D, 0x00};
    uint16_t crc = Crc16(bytes, sizeof bytes);
    EXPECT_EQ(crc, 0x602D);
    std::vector<uint8_t> all(bytes, bytes + sizeof bytes);
    all.push_back(0x2D);
    all.push_back(0x60);
    EXPECT_EQ(Crc16(all.data(), all.size()), 0);
}

TEST(WireFrame, GetIntRequestHasTheExpectedBytes)
{
    GetVarRequest rq(255, CMD_GET_INT, 45);
    rq.words()[1] = 2;
    EXPECT_EQ(rq.count(), 3);
    EXPECT_EQ(rq.word(2), 0xFF01);
    EXPECT_EQ(FrameCrc(rq.words()), 0x602D);
    std::vector<uint8_t> expect = {0x01, 0x03, 0x00, 0x02, 0x00, 0x10, 0x11,
                                   0xFF, 0x2D, 0x00, 0x2D, 0x60};
    EXPECT_EQ(EncodeFrame(std::span<const uint16_t>(rq.words(), 4)), expect);
}

TEST(WireFrame, EscapesSohAndDleEverywhereAfterTheStart)
{
    // count 1, one word 0x1001, CRC computed: every 0x01/0x10 after SOH must be escaped.
    const uint16_t words[] = {1, 0x1001};
    std::vector<uint8_t> bytes = EncodeFrame(words);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x10);  // count low byte 0x01 escaped
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0x00);  // count high byte
    EXPECT_EQ(bytes[4], 0x10);  // word low byte 0x01
    EXPECT_EQ(bytes[5], 0x11);
    EXPECT_EQ(bytes[6], 0x10);  // word high byte 0x10
    EXPECT_EQ(bytes[7], 0x00);
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        EXPECT_NE(bytes[i], 0x01) << "unescaped SOH at " << i;
        if (bytes[i] == 0x10) {
            ASSERT_LT(i + 1, bytes.size());
            EXPECT_TRUE(bytes[i + 1] == 0x11 || bytes[i + 1] == 0x00);
            ++i;
        }
    }
    // STX (0x02) is data inside a frame and is not escaped.
    const uint16_t stx[] = {1, 0x0202};
    std::vector<uint8_t> b2 = EncodeFrame(stx);
    EXPECT_EQ(b2[3], 0x00);
    EXPECT_EQ(b2[4], 0x02);
    EXPECT_EQ(b2[5], 0x02);
}

TEST(WireFrame, EmptyFrameIsCountThenCrc)
{
    const uint16_t words[] = {0};
    std::vector<uint8_t> bytes = EncodeFrame(words);
    const uint16_t crc = FrameCrc(words);
    std::vector<uint8_t> expect = {0x01, 0x00, 0x00};
    auto put = [&](uint8_t b) { expect.push_back(b); };
    PutEscaped(static_cast<uint8_t>(crc & 0xFF), put);
    PutEscaped(static_cast<uint8_t>(crc >> 8), put);
    EXPECT_EQ(bytes, expect);
}

TEST(WireFrame, RefusesOversizedCountsAndShortBuffers)
{
    std::vector<uint16_t> big(513, 0);
    big[0] = 512;
    EXPECT_TRUE(EncodeFrame(big).empty());
    uint8_t out[kMaxEncodedFrameBytes];
    EXPECT_EQ(EncodeFrame(big.data(), out, sizeof out), 0u);
    big[0] = 511;
    EXPECT_GT(EncodeFrame(big.data(), out, sizeof out), 0u);
    const uint16_t words[] = {1, 7};
    EXPECT_EQ(EncodeFrame(words, out, 4), 0u);
    // span shorter than its count
    const uint16_t lying[] = {5, 1};
    EXPECT_TRUE(EncodeFrame(lying).empty());
    // the worst case fits the documented buffer size
    std::vector<uint16_t> worst(512, 0x1001);
    worst[0] = 511;
    EXPECT_LE(EncodeFrame(worst).size(), kMaxEncodedFrameBytes);
}
