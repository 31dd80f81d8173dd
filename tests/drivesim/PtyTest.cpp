// drivesim on a pseudo-terminal of its own: raw frames written by the test, and the real
// library on a "serial port" that COMM700_COM1 points at the pseudo-terminal.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "SimSupport.h"
#include "comm700.h"
#include "tools700/wire/Frame.h"
#include "tools700/wire/Receiver.h"

namespace drivesim_test {
namespace {

namespace wire = tools700::wire;

// Collects the frames that arrive on a descriptor.
struct FrameCollector : wire::ReceiverSink {
    std::vector<std::vector<std::uint16_t>> frames;
    void OnFrame(const std::uint16_t* f) override { frames.emplace_back(f, f + f[0] + 1); }
    void OnRCalValue(std::uint16_t) override {}
};

class RawLine {
public:
    explicit RawLine(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    explicit RawLine(int fd) : fd_(fd) {}
    ~RawLine()
    {
        if (fd_ >= 0) close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }

    void Send(std::vector<std::uint16_t> words)
    {
        std::vector<std::uint8_t> bytes = wire::EncodeFrame(words);
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // True once the drive's first bytes are there to read, within `ms`.
    bool Answering(int ms)
    {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, ms) == 1;
    }

    // The next reply frame, or an empty vector when none came within `ms`.
    std::vector<std::uint16_t> Reply(int ms)
    {
        FrameCollector sink;
        wire::Receiver rx(sink);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (sink.frames.empty() && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buf[256];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n > 0) rx.Feed(buf, static_cast<std::size_t>(n));
        }
        return sink.frames.empty() ? std::vector<std::uint16_t>{} : sink.frames.front();
    }

private:
    int fd_;
};

TEST(DrivesimPty, AnswersRawFramesAsADrive)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", "--axes", "4"}));
    ASSERT_EQ(sim.ReadyLine().rfind("/dev/pts/", 0), 0u) << sim.ReadyLine();
    RawLine line(sim.ReadyLine());
    ASSERT_TRUE(line.Ok());

    // Get Model (integer id 41) from axis 4, sequence 0x0110 (a byte to escape).
    line.Send({3, 0x0110, 0x0401, 41});
    std::vector<std::uint16_t> r = line.Reply(2000);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[1], 0x0110);
    EXPECT_EQ(r[2] & 0xFF, 0x81);
    EXPECT_EQ(r[3] | (r[4] << 16), 733);

    // A command code the drive does not know: refused with 0x43.
    line.Send({3, 7, 0x040A, 0});
    r = line.Reply(2000);
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[1], 7);
    EXPECT_EQ(r[2] & 0xFF, 0x80 | 0x43);

    // A command id that does not exist.
    line.Send({3, 8, 0x0405, 9});
    r = line.Reply(2000);
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[2] & 0xFF, 0x80 | 0x43);

    // Another axis: silence.
    line.Send({3, 9, 0x0501, 41});
    EXPECT_TRUE(line.Reply(300).empty());
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(DrivesimPty, EndsCleanlyOnSignalsThatComeWhileItWritesAReply)
{
    // Paced, a reply takes milliseconds to go out; the signals land in the middle of it.
    for (int round = 0; round < 16; ++round) {
        SimProcess sim;
        ASSERT_TRUE(sim.Start({"--pty", "--axes", "4", "--pace"}));
        RawLine line(sim.ReadyLine());
        ASSERT_TRUE(line.Ok());
        line.Send({3, 1, 0x0401, 41});
        ASSERT_TRUE(line.Answering(2000));
        kill(sim.Pid(), SIGUSR1);
        kill(sim.Pid(), SIGUSR2);
        EXPECT_EQ(sim.Stop(), 0) << "round " << round;
    }
}

TEST(DrivesimPty, AnswersOnAGivenDevice)
{
    // The test holds the master of a pseudo-terminal; drivesim gets the slave as its device.
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string slave = ptsname(master);
    int flags = fcntl(master, F_GETFL);
    ASSERT_EQ(fcntl(master, F_SETFL, flags | O_NONBLOCK), 0);
    RawLine line(master);
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--device", slave, "--axes", "2", "--model", "1733"}));
    EXPECT_EQ(sim.ReadyLine(), slave);
    line.Send({3, 2, 0x0201, 41});
    std::vector<std::uint16_t> r = line.Reply(2000);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[2] & 0xFF, 0x81);
    EXPECT_EQ(r[3] | (r[4] << 16), 1733);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(DrivesimPty, LibraryTalksToItOverTheSerialPath)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty", "--axes", "1", "--model", "744", "--pace"}));
    ASSERT_EQ(setenv("COMM700_COM1", sim.ReadyLine().c_str(), 1), 0);
    ASSERT_EQ(UseSerialPort(1), 1);
    ASSERT_EQ(SetAxis700(1), COMM_OK);
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 744);
    EXPECT_EQ(PutVar700("ILmtMinus", 101), BOUNDS_ERROR);
    EXPECT_EQ(PutVar700("ILmtMinus", 80), COMM_OK);
    EXPECT_EQ(GetVar700("ILmtMinus", &v), COMM_OK);
    EXPECT_EQ(v, 80);
    const char* names[] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault", nullptr};
    double values[4] = {};
    int mask = 0;
    EXPECT_EQ(GetVars700(names, values, &mask), COMM_OK);
    EXPECT_EQ(values[2], 16);
    UseSerialPort(0);
    unsetenv("COMM700_COM1");
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace drivesim_test
