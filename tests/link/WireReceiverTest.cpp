// The receive state machine, row by row, and whole frames through it.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tools700/wire/Drive.h"
#include "tools700/wire/Frame.h"
#include "tools700/wire/Receiver.h"

using namespace tools700::wire;

namespace {

struct Collector : ReceiverSink {
    std::vector<std::vector<uint16_t>> frames;
    std::vector<uint16_t> rcal;
    void OnFrame(const uint16_t* f) override { frames.emplace_back(f, f + f[0] + 1); }
    void OnRCalValue(uint16_t v) override { rcal.push_back(v); }
};

struct ReceiverTest : ::testing::Test {
    Collector sink;
    Receiver rx {sink};
    void Feed(const std::vector<uint8_t>& bytes) { rx.Feed(bytes.data(), bytes.size()); }
};

std::vector<uint8_t> Frame(std::vector<uint16_t> body)
{
    body.insert(body.begin(), static_cast<uint16_t>(body.size()));
    return EncodeFrame(body);
}

}  // namespace

TEST_F(ReceiverTest, HuntRows)
{
    EXPECT_EQ(rx.state(), RxState::HUNT);
    rx.Feed(0x55);
    EXPECT_EQ(rx.state(), RxState::HUNT);
    rx.Feed(0x10);  // DLE between frames is nothing special
    EXPECT_EQ(rx.state(), RxState::HUNT);
    rx.Feed(0x02);
    EXPECT_EQ(rx.state(), RxState::HEX1);
    rx.Reset();
    rx.Feed(0x01);
    EXPECT_EQ(rx.state(), RxState::IN_FRAME);
    EXPECT_EQ(rx.assembly(), AsmState::COUNT_LO);
    EXPECT_EQ(rx.crc(), 0xFFFF);
    EXPECT_EQ(rx.cursor(), 0u);
}

TEST_F(ReceiverTest, InFrameAndEscapedRows)
{
    rx.Feed(0x01);
    rx.Feed(0x03);  // count low
    EXPECT_EQ(rx.state(), RxState::IN_FRAME);
    EXPECT_EQ(rx.assembly(), AsmState::COUNT_HI);
    rx.Feed(0x01);  // SOH inside a frame restarts it
    EXPECT_EQ(rx.state(), RxState::IN_FRAME);
    EXPECT_EQ(rx.assembly(), AsmState::COUNT_LO);
    rx.Feed(0x10);
    EXPECT_EQ(rx.state(), RxState::ESCAPED);
    rx.Feed(0x11);  // restores 0x01
    EXPECT_EQ(rx.state(), RxState::IN_FRAME);
    EXPECT_EQ(rx.frame()[0], 0x01);
    rx.Feed(0x10);
    rx.Feed(0x01);  // SOH after DLE starts a frame too
    EXPECT_EQ(rx.state(), RxState::IN_FRAME);
    EXPECT_EQ(rx.assembly(), AsmState::COUNT_LO);
    rx.Feed(0x02);  // STX inside a frame is data
    EXPECT_EQ(rx.state(), RxState::IN_FRAME);
    EXPECT_EQ(rx.frame()[0], 0x02);
    rx.Feed(0x10);
    rx.Feed(0x00);  // restores 0x10 as the count's high byte
    EXPECT_EQ(rx.frame()[0], 0x1002);
    EXPECT_EQ(rx.assembly(), AsmState::DONE);  // 0x1002 >= 512: abandoned
    EXPECT_EQ(rx.state(), RxState::HUNT);
    EXPECT_TRUE(sink.frames.empty());
}

TEST_F(ReceiverTest, HexRowsPostLeastSignificantDigitFirst)
{
    Feed({0x02, '4', '1', '0', '0'});
    ASSERT_EQ(sink.rcal.size(), 1u);
    EXPECT_EQ(sink.rcal[0], 0x0014);
    EXPECT_EQ(rx.state(), RxState::HUNT);
    Feed({0x02, 'f', 'E', 'd', 'C'});
    EXPECT_EQ(sink.rcal.back(), 0xCDEF);
    Feed({0x02, 'x', 0x01, '9', 'G'});  // non-digits count as 0, even SOH
    EXPECT_EQ(sink.rcal.back(), 0x0900);
    EXPECT_EQ(HexDigit('a'), 10);
    EXPECT_EQ(HexDigit('F'), 15);
    EXPECT_EQ(HexDigit('g'), 0);
    EXPECT_EQ(HexDigit('9'), 9);
    uint8_t msg[5];
    BuildRCalMessage(0xBEEF, msg);
    rx.Feed(msg, 5);
    EXPECT_EQ(sink.rcal.back(), 0xBEEF);
}

TEST_F(ReceiverTest, AssemblyRowsForCountWordsAndCrc)
{
    rx.Feed(0x01);
    rx.Feed(0x02);
    EXPECT_EQ(rx.assembly(), AsmState::COUNT_HI);
    rx.Feed(0x00);
    EXPECT_EQ(rx.assembly(), AsmState::WORD_LO);
    EXPECT_EQ(rx.remaining(), 2);
    EXPECT_EQ(rx.cursor(), 1u);
    rx.Feed(0x34);
    EXPECT_EQ(rx.assembly(), AsmState::WORD_HI);
    rx.Feed(0x12);
    EXPECT_EQ(rx.assembly(), AsmState::WORD_LO);
    EXPECT_EQ(rx.frame()[1], 0x1234);
    EXPECT_EQ(rx.remaining(), 1);
    rx.Feed(0x78);
    rx.Feed(0x56);
    EXPECT_EQ(rx.assembly(), AsmState::CRC_LO);
    const uint16_t words[] = {2, 0x1234, 0x5678};
    const uint16_t crc = FrameCrc(words);
    rx.Feed(static_cast<uint8_t>(crc & 0xFF));
    EXPECT_EQ(rx.assembly(), AsmState::CRC_HI);
    rx.Feed(static_cast<uint8_t>(crc >> 8));
    EXPECT_EQ(rx.assembly(), AsmState::DONE);
    EXPECT_EQ(rx.state(), RxState::HUNT);
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0], (std::vector<uint16_t> {2, 0x1234, 0x5678}));
}

TEST_F(ReceiverTest, ZeroCountGoesStraightToCrc)
{
    Feed(Frame({}));
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0], std::vector<uint16_t> {0});
    rx.Feed(0x01);
    rx.Feed(0x00);
    rx.Feed(0x00);
    EXPECT_EQ(rx.assembly(), AsmState::CRC_LO);
}

TEST_F(ReceiverTest, BadCrcIsDroppedSilently)
{
    std::vector<uint8_t> bytes = Frame({7, 0x8005, 9});
    bytes[bytes.size() - 1] ^= 0x40;
    Feed(bytes);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(rx.state(), RxState::HUNT);
    Feed(Frame({7, 0x8005, 9}));  // the next good frame is taken
    EXPECT_EQ(sink.frames.size(), 1u);
}

TEST_F(ReceiverTest, LargestFrameIsAssembledAndOneMoreIsAbandoned)
{
    std::vector<uint16_t> body(511);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<uint16_t>(i * 0x0101 + 1);
    Feed(Frame(body));
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0][0], 511);
    EXPECT_EQ(sink.frames[0][511], body[510]);
    Feed({0x01, 0x00, 0x02});  // N = 512
    EXPECT_EQ(rx.assembly(), AsmState::DONE);
    EXPECT_EQ(rx.state(), RxState::HUNT);
    Feed({0x00, 0x00, 0x00});
    EXPECT_EQ(sink.frames.size(), 1u);
}

TEST_F(ReceiverTest, GarbageBetweenFramesAndSohInsideFrames)
{
    std::mt19937 rng(7);
    std::vector<std::vector<uint16_t>> sent;
    std::vector<uint8_t> stream;
    for (int k = 0; k < 200; ++k) {
        // garbage without SOH/STX so it cannot start anything
        int g = static_cast<int>(rng() % 6);
        for (int i = 0; i < g; ++i) {
            uint8_t b = static_cast<uint8_t>(rng());
            if (b == 0x01 || b == 0x02)
                b = 0x55;
            stream.push_back(b);
        }
        if (k % 10 == 3) {  // a truncated frame cut off by the next SOH
            std::vector<uint8_t> cut = Frame({1, 2, 3, 4});
            stream.insert(stream.end(), cut.begin(), cut.begin() + 5);
        }
        std::vector<uint16_t> body(rng() % 40);
        for (auto& w : body)
            w = static_cast<uint16_t>(rng());
        std::vector<uint8_t> f = Frame(body);
        stream.insert(stream.end(), f.begin(), f.end());
        body.insert(body.begin(), static_cast<uint16_t>(body.size()));
        sent.push_back(body);
    }
    Feed(stream);
    EXPECT_EQ(sink.frames, sent);
}

TEST_F(ReceiverTest, CountsTellGoodFramesDamagedFramesAndStrayBytes)
{
    Feed(Frame({7, 0x8005, 9}));
    std::vector<uint8_t> bad = Frame({7, 0x8005, 9});
    bad.back() ^= 0x40;
    Feed(bad);                               // CRC fails
    Feed({0x01, 0x00, 0x02});                // N = 512: abandoned
    std::vector<uint8_t> cut = Frame({1, 2, 3});
    Feed(std::vector<uint8_t>(cut.begin(), cut.begin() + 4));
    Feed(Frame({4}));                        // its SOH cuts the partial frame short
    Feed({0x55, 0x10, 0xAA});                // between frames, starting nothing
    Feed({0x02, '4', '1', '0', '0'});        // an R-cal value
    const ReceiveCounts& c = rx.counts();
    EXPECT_EQ(c.frames, 2u);
    EXPECT_EQ(c.damagedFrames, 3u);
    EXPECT_EQ(c.discardedBytes, 3u);
    EXPECT_EQ(c.rcalValues, 1u);
    const std::size_t fed = Frame({7, 0x8005, 9}).size() * 2 + 3 + 4 + Frame({4}).size() + 3 + 5;
    EXPECT_EQ(c.bytes, fed);
    EXPECT_EQ(sink.frames.size(), 2u);
}
