// Unit rules that read their input from a drive through the real link library on the
// simulator channel: a drive that answers, and none at all.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <thread>
#include <vector>

#include "comm700.h"
#include "tools700/common/Error.h"
#include "tools700/dictionary/Enums.h"

using namespace tools700;

namespace {

std::uint16_t Crc16Modbus(const std::vector<std::uint8_t> &bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

// A small drive on the drive side of the simulator queues: answers CMD_GET_INT requests for
// the integer ids it holds and refuses the rest with NOT_IMPLEMENTED.
class QueueDrive {
public:
    explicit QueueDrive(std::map<int, std::int32_t> integers)
        : integers_(std::move(integers)), thread_([this] { Run(); })
    {
    }
    ~QueueDrive()
    {
        stop_ = true;
        thread_.join();
    }
    int Requests() const { return requests_; }

private:
    int NextByte()
    {
        for (;;) {
            if (stop_)
                return -2;
            const int b = SrlGetChar();
            if (b >= 0)
                return b;
            std::this_thread::sleep_for(std::chrono::milliseconds(1)); // the queue is polled
        }
    }

    void Put(std::uint8_t b)
    {
        while (SrlPutChar(b) < 0 && !stop_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void Send(const std::vector<std::uint16_t> &words)
    {
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t w : words) {
            bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        }
        const std::uint16_t crc = Crc16Modbus(bytes);
        bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
        Put(0x01);
        for (std::uint8_t b : bytes) {
            if (b == 0x01 || b == 0x10) {
                Put(0x10);
                Put(static_cast<std::uint8_t>(b ^ 0x10));
            } else {
                Put(b);
            }
        }
    }

    void Run()
    {
        for (;;) {
            int b = NextByte();
            if (b == -2)
                return;
            if (b != 0x01)
                continue;
            // count, words and CRC, unescaping as we go
            std::vector<std::uint8_t> bytes;
            std::size_t need = 2;
            bool restart = false;
            while (bytes.size() < need + 2) {
                b = NextByte();
                if (b == -2)
                    return;
                if (b == 0x01) { // a new frame began: the old one was cut short
                    restart = true;
                    break;
                }
                if (b == 0x10) {
                    b = NextByte();
                    if (b == -2)
                        return;
                    b ^= 0x10;
                }
                bytes.push_back(static_cast<std::uint8_t>(b));
                if (bytes.size() == 2)
                    need = 2 + 2u * (bytes[0] | (bytes[1] << 8));
            }
            if (restart)
                continue;
            const std::vector<std::uint8_t> body(bytes.begin(), bytes.end() - 2);
            const std::uint16_t crc = static_cast<std::uint16_t>(bytes[need] | (bytes[need + 1] << 8));
            if (Crc16Modbus(body) != crc || body.size() < 8)
                continue;
            auto word = [&body](std::size_t i) {
                return static_cast<std::uint16_t>(body[2 * i] | (body[2 * i + 1] << 8));
            };
            const std::uint16_t seq = word(1);
            const int command = word(2) & 0xFF;
            const int id = word(3);
            ++requests_;
            auto it = integers_.find(id);
            if (command == 1 && it != integers_.end()) {
                const auto v = static_cast<std::uint32_t>(it->second);
                Send({4, seq, 0x81, static_cast<std::uint16_t>(v & 0xFFFF),
                      static_cast<std::uint16_t>(v >> 16)});
            } else {
                Send({4, seq, 0x80 | 0x44, 0, 0});
            }
        }
    }

    std::map<int, std::int32_t> integers_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

class DriveUnitText : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDriveReader(nullptr); // the link library's GetVar700
        UseSerialPort(0);        // the simulator channel
    }
};

} // namespace

TEST_F(DriveUnitText, NoDriveAnsweringGivesQuestionMarks)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UnitText("Move3RunSpeed"), "???");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    EXPECT_THROW(ReadDriveValue("BlkType"), Error);
    // fixed units need no drive
    EXPECT_EQ(UnitText("VelCmd"), "RPM");
}

TEST_F(DriveUnitText, AnsweringDriveChoosesTheText)
{
    // integer ids: BlkType 45, RemoteFB 65, DM1Map 5, DM2Map 57
    QueueDrive drive({{45, 1}, {65, 2}, {5, 12}, {57, 30}});
    EXPECT_EQ(UnitText("CmdGain"), "kRPM/volt");
    EXPECT_EQ(UnitText("ADOffset"), "volts");
    EXPECT_EQ(UnitText("Move3RunSpeed"), "CPS");
    EXPECT_EQ(UnitText("ActiveDecelRate"), "CPS/sec");
    EXPECT_EQ(UnitText("DM1Gain"), "volts/409.6");
    EXPECT_EQ(UnitText("DM2Gain"), "volts/100%^2");
    EXPECT_GE(drive.Requests(), 6);
}

TEST_F(DriveUnitText, DriveRefusalGivesQuestionMarks)
{
    QueueDrive drive(std::map<int, std::int32_t>{{65, 0}}); // refuses BlkType
    EXPECT_EQ(UnitText("CmdGain"), "???");
    EXPECT_EQ(UnitText("Move0RunSpeed"), "RPM");
}
