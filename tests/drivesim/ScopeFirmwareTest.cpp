// Oscilloscope captures and the firmware upgrade handshake, through the real library.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "SimFixture.h"

namespace drivesim_test {
namespace {

using Scope = SimChannelTest;
using Firmware = SimChannelTest;

constexpr std::uint16_t kVelocityCommandActual = 2;  // 1000 rpm sine, 100 ms period
constexpr std::uint16_t kVelocityFeedback = 1;

std::uint32_t FloatBits(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

struct Capture {
    int status = -1;
    std::uint16_t count = 0;
    double ch1[100] = {};
    double ch2[100] = {};
};

Capture Fetch(std::uint16_t op, std::uint16_t timebase, std::uint16_t source, float level,
              std::uint16_t ch1 = kVelocityCommandActual, std::uint16_t ch2 = kVelocityFeedback)
{
    Capture c;
    c.status = ReadScopeData700(op, 0, timebase, source, FloatBits(level), ch1, ch2, c.ch1, c.ch2, &c.count);
    return c;
}

// Index of the first rising crossing of `level` after sample 1, or -1.
int NextRisingCrossing(const Capture& c, double level)
{
    for (int i = 2; i < c.count; ++i)
        if (c.ch1[i - 1] < level && c.ch1[i] >= level) return i;
    return -1;
}

TEST_F(Scope, TriggerEdgeAndLevelAreHonoured)
{
    StartSim({"--axes", "1"});
    Capture free = Fetch(0, 1, 0, 0.0f);
    ASSERT_EQ(free.status, COMM_OK);
    ASSERT_EQ(free.count, 100);
    for (int i = 0; i < 100; ++i) {
        EXPECT_LE(std::fabs(free.ch1[i]), 1000.5);
        EXPECT_LE(std::fabs(free.ch2[i]), 1000.5);
    }

    Capture rising = Fetch(0, 1, 1, 500.0f);
    ASSERT_EQ(rising.status, COMM_OK);
    ASSERT_EQ(rising.count, 100);
    EXPECT_GE(rising.ch1[0], 499.9);
    EXPECT_LT(rising.ch1[0], 570.0) << "the first sample is the one that crossed the level";
    EXPECT_GT(rising.ch1[1], rising.ch1[0]);

    Capture falling = Fetch(0, 1, 2, -200.0f);
    ASSERT_EQ(falling.status, COMM_OK);
    EXPECT_LE(falling.ch1[0], -199.9);
    EXPECT_GT(falling.ch1[0], -270.0);
    EXPECT_LT(falling.ch1[1], falling.ch1[0]);

    // Channel 2 as the trigger source.
    Capture ch2 = Fetch(0, 1, 3, 0.0f);
    ASSERT_EQ(ch2.status, COMM_OK);
    EXPECT_GE(ch2.ch2[0], -0.1);
    EXPECT_GT(ch2.ch2[1], ch2.ch2[0]);

    // A level the signal never reaches: no capture.
    Capture never = Fetch(0, 1, 1, 5000.0f);
    ASSERT_EQ(never.status, COMM_OK);
    EXPECT_EQ(never.count, 0);
}

TEST_F(Scope, TimebaseSetsTheSamplePeriod)
{
    StartSim({"--axes", "1"});
    // Triggered on the rising zero crossing of a 100 ms sine: the next one is 100 ms later.
    Capture tb2 = Fetch(0, 2, 1, 0.0f);
    ASSERT_EQ(tb2.status, COMM_OK);
    EXPECT_NEAR(NextRisingCrossing(tb2, 0.0), 50, 1);
    Capture tb5 = Fetch(0, 5, 1, 0.0f);
    ASSERT_EQ(tb5.status, COMM_OK);
    EXPECT_NEAR(NextRisingCrossing(tb5, 0.0), 20, 1);
    Capture tb1 = Fetch(0, 1, 1, 0.0f);
    EXPECT_EQ(NextRisingCrossing(tb1, 0.0), -1) << "100 samples of 1 ms hold one period";

    EXPECT_EQ(Fetch(0, 0, 0, 0.0f).status, BOUNDS_ERROR) << "timebase 0";
    EXPECT_EQ(Fetch(0, 1, 5, 0.0f).status, BOUNDS_ERROR) << "trigger source 5";
    EXPECT_EQ(Fetch(0, 1, 0, 0.0f, 31).status, BOUNDS_ERROR) << "signal 31";
}

TEST_F(Scope, SingleSweepFillsUpAfterArming)
{
    StartSim({"--axes", "1"});
    Capture arm = Fetch(2, 10, 0, 0.0f);
    ASSERT_EQ(arm.status, COMM_OK);
    std::vector<int> counts;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        Capture c = Fetch(0, 10, 0, 0.0f);
        ASSERT_EQ(c.status, COMM_OK);
        counts.push_back(c.count);
        if (c.count == 100) break;
    }
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.back(), 100) << "a 10 ms sweep completes within about a second";
    EXPECT_LT(counts.front(), 100) << "the first fetch after arming sees a partial sweep";
    for (std::size_t i = 1; i < counts.size(); ++i) EXPECT_GE(counts[i], counts[i - 1]);
}

// The image as the upgrade sends it: the bytes, then their sum, least significant byte first.
std::vector<std::uint16_t> ImageWords(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint16_t> words(bytes.begin(), bytes.end());
    std::uint32_t sum = 0;
    for (auto b : bytes) sum += b;
    for (int i = 0; i < 4; ++i) words.push_back((sum >> (8 * i)) & 0xFF);
    return words;
}

std::uint16_t WaitUntilClear(std::uint16_t bits)
{
    std::uint16_t s = 0xFFFF;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        EXPECT_EQ(GetUPCRstatus(&s), COMM_OK);
        if (!(s & bits)) break;
    }
    return s;
}

TEST_F(Firmware, HandshakeEraseAndSegmentsProgramTheImage)
{
    std::string out = dir_.File("fw.bin");
    std::string nv = dir_.File("nv.txt");
    StartSim({"--axes", "1", "--model", "743", "--fwfile", out, "--erase-ms", "50", "--nvfile", nv});
    ASSERT_EQ(ExeCmd700("NVSave"), COMM_OK);
    std::vector<std::string> saved = ReadLines(nv);
    ASSERT_NE(std::find(saved.begin(), saved.end(), "[drive 1]"), saved.end());
    std::vector<std::uint8_t> bytes(130);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::vector<std::uint16_t> image = ImageWords(bytes);

    std::uint16_t s = 0;
    ASSERT_EQ(GetUPCRstatus(&s), COMM_OK);
    ASSERT_TRUE(s & 0x80) << "a disabled 740-family drive is ready";
    std::uint16_t reply = 0;
    ASSERT_EQ(PutUPCRstatus(s | 0x40, &reply), COMM_OK);
    ASSERT_EQ(PutUPCRstatus(s | 0x40 | 0x08 | 0x04, &reply), COMM_OK);
    s = WaitUntilClear(0x0C);
    EXPECT_FALSE(s & 0x0C) << "the erase finishes";
    EXPECT_EQ(ReadLines(nv), std::vector<std::string>{"# drivesim non-volatile memory"})
        << "erasing the non-volatile memory forgets the saved image";

    std::size_t sent = 0;
    std::vector<std::uint16_t> controls;
    while (sent < image.size()) {
        std::uint16_t n = static_cast<std::uint16_t>(std::min<std::size_t>(64, image.size() - sent));
        std::uint16_t control = sent + n == image.size() ? 0xF0 : 0xE0;
        std::uint16_t segStatus = 0xFFFF, word5 = 0;
        ASSERT_EQ(ExecLoadSegment(n, control, &segStatus, 1, &word5, image.data() + sent), COMM_OK);
        EXPECT_EQ(segStatus & 1, 0) << "segment at " << sent;
        sent += n;
        EXPECT_EQ(word5, sent) << "the drive counts the bytes it received";
        controls.push_back(control);
        WaitUntilClear(0x30);
    }
    EXPECT_EQ(controls, (std::vector<std::uint16_t>{0xE0, 0xE0, 0xF0}));
    StopSim();
    std::ifstream in(out, std::ios::binary);
    std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, bytes);
}

TEST_F(Firmware, DriveRefusesWhatIsOutOfTurn)
{
    StartSim({"--axes", "1", "--model", "743", "--erase-ms", "0"});
    std::uint16_t reply = 0, segStatus = 0, word5 = 0;
    // Erase before entering the upgrade mode.
    EXPECT_EQ(PutUPCRstatus(0x80 | 0x08, &reply), NO_SUCH_SYMBOL) << "a non-zero status word gives 1";
    // A segment before the erase.
    std::uint16_t data[3] = {1, 2, 3};
    ASSERT_EQ(ExecLoadSegment(3, 0xF0, &segStatus, 1, &word5, data), COMM_OK);
    EXPECT_EQ(segStatus & 1, 1);
    // A bad checksum.
    ASSERT_EQ(PutUPCRstatus(0xC0, &reply), COMM_OK);
    ASSERT_EQ(PutUPCRstatus(0xC8, &reply), COMM_OK);
    WaitUntilClear(0x0C);
    std::uint16_t bad[7] = {1, 2, 3, 7, 0, 0, 0};
    ASSERT_EQ(ExecLoadSegment(7, 0xF0, &segStatus, 1, &word5, bad), COMM_OK);
    EXPECT_EQ(segStatus & 1, 1) << "checksum 7 does not match the sum 6";
    StopSim();

    // An enabled drive, or one of the 730 family, is not ready.
    StartSim({"--axes", "1", "--model", "733"});
    std::uint16_t s = 0xFFFF;
    ASSERT_EQ(GetUPCRstatus(&s), COMM_OK);
    EXPECT_EQ(s & 0x80, 0);
    EXPECT_EQ(PutUPCRstatus(0xC0, &reply), NO_SUCH_SYMBOL);
}

}  // namespace
}  // namespace drivesim_test
