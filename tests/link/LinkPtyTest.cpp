// Every export of the real library over a real pseudo-terminal with termios, a drive answering
// on the master side.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "PtyDrive.h"
#include "tools700/platform/LineClaim.h"
#include "comm700.h"
#include "tools700/wire/Drive.h"

using namespace linktest;
using namespace tools700;
using namespace std::chrono_literals;

namespace {

struct LinkPty : ::testing::Test {
    std::unique_ptr<PtyDrive> pty;
    void SetUp() override
    {
        pty = std::make_unique<PtyDrive>();
        ASSERT_TRUE(pty->ok());
        setenv("COMM700_COM1", pty->path.c_str(), 1);
        ASSERT_EQ(UseSerialPort(1), 1);
        ASSERT_EQ(SetAxis700(255), COMM_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(UseSerialPort(0), 0);  // back to the simulator channel, port closed
        pty.reset();
        unsetenv("COMM700_COM1");
    }
    TestDrive& drive() { return pty->drive; }
};

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
}

}  // namespace

TEST_F(LinkPty, GetVarReadsIntegersAndFloatsByAnyCase)
{
    double v = 0;
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 743);
    ASSERT_EQ(GetVar700("velcmd", &v), COMM_OK);
    EXPECT_DOUBLE_EQ(v, 19.25);
    auto rq = drive().LastRequest();
    ASSERT_EQ(rq.size(), 4u);
    EXPECT_EQ(rq[2], 0xFF03);  // axis 255, CMD_GET_FLOAT
    EXPECT_EQ(rq[3], 19);
    ASSERT_EQ(GetVar700("BLKTYPE", &v), COMM_OK);
    EXPECT_EQ(v, 1045);
    EXPECT_EQ(GetVar700("BlkType", nullptr), COMM_OK);  // no output: the call still runs
}

TEST_F(LinkPty, NamesAreCheckedBeforeTheLine)
{
    const int before = drive().requests;
    double v = 12.5;
    EXPECT_EQ(GetVar700("NoSuchVariable", &v), NO_SUCH_SYMBOL);
    EXPECT_EQ(GetVar700("NVSave", &v), TYPE_ERROR);
    EXPECT_EQ(PutVar700("NVSave", 1), TYPE_ERROR);
    EXPECT_EQ(ExeCmd700("VelCmd"), TYPE_ERROR);
    EXPECT_EQ(ExeCmd700("Nope"), NO_SUCH_SYMBOL);
    EXPECT_EQ(GetVar700(nullptr, &v), NO_SUCH_SYMBOL);
    EXPECT_EQ(PutVar700(nullptr, 1), NO_SUCH_SYMBOL);
    EXPECT_EQ(ExeCmd700(nullptr), NO_SUCH_SYMBOL);
    EXPECT_EQ(GetVar700("", &v), NO_SUCH_SYMBOL);
    std::string huge(1 << 16, 'V');
    EXPECT_EQ(GetVar700(huge.c_str(), &v), NO_SUCH_SYMBOL);
    EXPECT_EQ(v, 12.5);
    std::this_thread::sleep_for(20ms);  // nothing may arrive at the drive
    EXPECT_EQ(drive().requests, before);
}

TEST_F(LinkPty, PutVarTruncatesIntegersAndPassesRefusals)
{
    ASSERT_EQ(PutVar700("InpMap1", 2.9), COMM_OK);
    EXPECT_EQ(drive().IntValue(66), 2);
    ASSERT_EQ(PutVar700("InputMap1", -2.9), COMM_OK);
    EXPECT_EQ(drive().IntValue(66), -2);
    auto rq = drive().LastRequest();
    ASSERT_EQ(rq.size(), 6u);
    EXPECT_EQ(rq[2], 0xFF02);
    EXPECT_EQ(rq[4], 0xFFFE);
    EXPECT_EQ(rq[5], 0xFFFF);
    ASSERT_EQ(PutVar700("Kvp", 0.1), COMM_OK);
    EXPECT_FLOAT_EQ(drive().FloatValue(9), 0.1f);
    ASSERT_EQ(PutVar700("Position", 1e12), COMM_OK);  // beyond 32 bits: clamped
    EXPECT_EQ(drive().IntValue(34), INT32_MAX);
    drive().refuseNextPut = 0x42;
    EXPECT_EQ(PutVar700("Kvp", 1e9), BOUNDS_ERROR);
    drive().refuseNextPut = 0x41;
    EXPECT_EQ(PutVar700("Model", 1), READONLY);
    drive().refuseNextPut = 0x55;  // a code the program has no text for still comes through
    EXPECT_EQ(PutVar700("Model", 1), 0x55);
}

TEST_F(LinkPty, ExeCmdMapsEveryFailureToCommError)
{
    EXPECT_EQ(ExeCmd700("nvsave"), COMM_OK);
    auto rq = drive().LastRequest();
    ASSERT_EQ(rq.size(), 4u);
    EXPECT_EQ(rq[2], 0xFF05);
    EXPECT_EQ(rq[3], 1);
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        return wire::ReplyBuilder::Refusal(r.seq, wire::REFUSE_BOUNDS).SetCount(3).Encode();
    });
    EXPECT_EQ(ExeCmd700("NVLoad"), COMM_ERROR);
}

TEST_F(LinkPty, SequenceNumbersFollowEachOther)
{
    double v;
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    const uint16_t first = drive().LastRequest()[1];
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
        EXPECT_EQ(drive().LastRequest()[1], static_cast<uint16_t>(first + i == 65536 ? 1 : first + i));
    }
}

TEST_F(LinkPty, GetVarsSendsEmptySlotsForBadNames)
{
    const char* names[] = {"Model", "Misspelt", "VelCmd", "NVSave", nullptr, "Kvp"};
    double values[6] = {-1, -1, -1, -1, -1, -1};
    int mask = -1;
    ASSERT_EQ(GetVars700(names, values, &mask), COMM_OK);
    auto rq = drive().RequestWithCommand(wire::CMD_GET_VARS);
    ASSERT_EQ(rq.size(), 37u);
    EXPECT_EQ(rq[3] | (rq[4] << 16), 0x1);  // only Model is an integer
    EXPECT_EQ(rq[5], 41);
    EXPECT_EQ(rq[6], 0xFFFF);
    EXPECT_EQ(rq[7], 19);
    EXPECT_EQ(rq[8], 0xFFFF);  // a command is not a variable
    EXPECT_EQ(rq[9], 0xFFFF);  // the list ended at the null entry
    EXPECT_EQ(mask, 0x5);
    EXPECT_EQ(values[0], 743);
    EXPECT_DOUBLE_EQ(values[2], 19.25);
    EXPECT_EQ(values[5], -1);  // after the end of the list: untouched

    std::vector<std::string> many(40, "Kvp");
    std::vector<const char*> ptrs;
    for (auto& s : many)
        ptrs.push_back(s.c_str());
    std::vector<double> out(40, -7);
    ASSERT_EQ(GetVars700(ptrs.data(), out.data(), &mask), COMM_OK);
    EXPECT_EQ(static_cast<uint32_t>(mask), 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(out[31], 9.25);
    EXPECT_EQ(out[32], -7);  // at most 32 names
    EXPECT_EQ(GetVars700(ptrs.data(), nullptr, nullptr), COMM_OK);
    EXPECT_EQ(GetVars700(nullptr, nullptr, &mask), COMM_OK);
    EXPECT_EQ(mask, 0);
}

TEST_F(LinkPty, PutVarsConvertsPerSlotAndReturnsTheResult)
{
    const char* names[] = {"InpMap2", "Kvi", "Bogus", nullptr};
    const double values[] = {3.7, 2.5, 99.0};
    int result = -1;
    ASSERT_EQ(PutVars700(names, values, &result), COMM_OK);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(drive().IntValue(67), 3);
    EXPECT_FLOAT_EQ(drive().FloatValue(6), 2.5f);
    auto rq = drive().RequestWithCommand(wire::CMD_PUT_VARS);
    ASSERT_EQ(rq.size(), 101u);
    EXPECT_EQ(rq[7], 0xFFFF);
    EXPECT_EQ(rq[41], 0);  // an empty slot carries 0
    EXPECT_EQ(rq[42], 0);
}

TEST_F(LinkPty, AxisSelectionAndDriveAddress)
{
    EXPECT_EQ(SetAxis700(0), INVALID_AXIS);
    EXPECT_EQ(SetAxis700(256), INVALID_AXIS);
    EXPECT_EQ(SetAxis700(-3), INVALID_AXIS);
    EXPECT_EQ(SetAxis700(7), COMM_OK);
    double v;
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(drive().LastRequest()[2] >> 8, 7);
    EXPECT_EQ(SetAxis700(300), INVALID_AXIS);
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(drive().LastRequest()[2] >> 8, 7);  // the old axis stays
    ASSERT_EQ(SetDriveAdrs700(0x10009), COMM_OK);
    EXPECT_EQ(drive().lastDriveAddress(), 9);  // low 16 bits
    auto rq = drive().LastRequest();
    EXPECT_EQ(rq[2], 0x0707);  // to the current axis
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(drive().LastRequest()[2] >> 8, 7);  // our own axis is unchanged
    EXPECT_EQ(SetAxis700(255), COMM_OK);
}

TEST_F(LinkPty, ScopeDataIsDecodedWithTheScales)
{
    double ch1[100], ch2[100];
    uint16_t n = 0;
    const float level = 1.5f;
    uint32_t bits;
    std::memcpy(&bits, &level, 4);
    ASSERT_EQ(ReadScopeData700(1, 0, 5, 2, bits, 11, 12, ch1, ch2, &n), COMM_OK);
    EXPECT_EQ(n, 5);
    EXPECT_DOUBLE_EQ(ch1[4], 4.0);   // 40 / 10
    EXPECT_DOUBLE_EQ(ch2[4], -8.0);  // -4 / 0.5
    auto rq = drive().RequestWithCommand(wire::CMD_READ_SCOPE);
    ASSERT_EQ(rq.size(), 11u);
    EXPECT_EQ(rq[3], 1);
    EXPECT_EQ(rq[5], 5);
    EXPECT_EQ(rq[6], 2);
    EXPECT_EQ(rq[7] | (rq[8] << 16), bits);
    EXPECT_EQ(rq[9], 11);
    EXPECT_EQ(rq[10], 12);
    ASSERT_EQ(ReadScopeData700(1, 0, 100, 0, 0, 1, 2, ch1, ch2, &n), COMM_OK);
    EXPECT_EQ(n, 100);
    EXPECT_EQ(ReadScopeData700(1, 0, 100, 0, 0, 1, 2, nullptr, nullptr, nullptr), COMM_OK);
    ASSERT_EQ(ReadScopeData700(1, 0, 0, 0, 0, 1, 2, ch1, ch2, &n), COMM_OK);
    EXPECT_EQ(n, 0);
}

TEST_F(LinkPty, UpcrAndLoadSegment)
{
    uint16_t st = 0;
    ASSERT_EQ(GetUPCRstatus(&st), COMM_OK);
    EXPECT_EQ(st, 0x80);
    ASSERT_EQ(PutUPCRstatus(0xC0, &st), COMM_OK);
    EXPECT_EQ(st, 0xC0);
    auto rq = drive().RequestWithCommand(wire::CMD_UPCR);
    ASSERT_EQ(rq.size(), 9u);
    EXPECT_EQ(rq[3], 2);
    EXPECT_EQ(rq[4], 0xC0);
    drive().upcrStatusWord = 3;
    EXPECT_EQ(GetUPCRstatus(&st), NO_SUCH_SYMBOL);
    EXPECT_EQ(st, 0xC0);
    drive().upcrStatusWord = 0;
    EXPECT_EQ(GetUPCRstatus(nullptr), COMM_OK);

    uint16_t data[64];
    for (int i = 0; i < 64; ++i)
        data[i] = static_cast<uint16_t>(i);
    uint16_t segStatus = 0xAAAA, word5 = 0xAAAA;
    ASSERT_EQ(ExecLoadSegment(64, 0x12, &segStatus, 0x34, &word5, data), COMM_OK);
    EXPECT_EQ(segStatus, 2016);  // sum 0..63
    EXPECT_EQ(word5, 64);
    rq = drive().RequestWithCommand(wire::CMD_LOAD_SEGMENT);
    ASSERT_EQ(rq.size(), 70u);
    EXPECT_EQ(rq[3], 0x12);
    EXPECT_EQ(rq[4], 0x34);
    ASSERT_EQ(ExecLoadSegment(500, 0, &segStatus, 0, &word5, data), COMM_OK);
    EXPECT_EQ(word5, 64);  // never more than 64 words
    ASSERT_EQ(ExecLoadSegment(10, 0, nullptr, 0, nullptr, nullptr), COMM_OK);
    rq = drive().RequestWithCommand(wire::CMD_LOAD_SEGMENT);
    EXPECT_EQ(rq[5], 0);  // no data: nothing claimed
}

TEST_F(LinkPty, RCalValuesArriveBetweenFrames)
{
    uint8_t msg[5];
    wire::BuildRCalMessage(0x1234, msg);
    pty->Write(std::vector<uint8_t>(msg, msg + 5));
    int value = 0;
    char overrun = 9;
    ASSERT_EQ(FetchRCalData(&value, &overrun), 1);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(overrun, 0);
    // Two values before one fetch: the newest, with the overrun flag.
    std::vector<uint8_t> two = {0x02, '1', '0', '0', '0', 0x02, '2', '0', '0', '0'};
    pty->Write(two);
    std::this_thread::sleep_for(50ms);  // let both arrive before fetching: timing is the point
    ASSERT_EQ(FetchRCalData(&value, &overrun), 1);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(overrun, 1);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(FetchRCalData(&value, &overrun), 0);
    EXPECT_GE(Since(t0), 900ms);
    EXPECT_LT(Since(t0), 2000ms);
}

TEST_F(LinkPty, BadRepliesNeverCorruptAnything)
{
    double v = -5;
    // A reply longer than the reply buffer wakes the caller without data.
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        return wire::ReplyBuilder(r.seq, r.command).PutInt(3, 1).SetCount(70).Encode();
    });
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    EXPECT_LT(Since(t0), 400ms);
    // The largest frame there is, with garbage and a stray SOH before the real reply.
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        std::vector<uint8_t> out = {0x55, 0xAA, 0x10, 0x00, 0x01, 0x05};
        auto big = wire::ReplyBuilder(r.seq, r.command).SetCount(511).Encode();
        out.insert(out.end(), big.begin(), big.end());
        out.push_back(0x7F);
        auto good = wire::ReplyBuilder(r.seq, r.command).PutInt(3, 4242).Encode();
        out.insert(out.end(), good.begin(), good.end());
        return out;
    });
    // The 511-word frame wakes the caller without data; when the good reply lands before the
    // caller has run, the box (still held) takes it instead. Either way nothing else changes.
    const int st = GetVar700("Model", &v);
    EXPECT_TRUE(st == NO_RESPONSE || (st == COMM_OK && v == 4242)) << st << " " << v;
    // Garbage, a bad CRC copy, then the good reply.
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        auto good = wire::ReplyBuilder(r.seq, r.command).PutInt(3, 4243).Encode();
        auto bad = good;
        bad[4] ^= 0x20;
        std::vector<uint8_t> out = {0x00, 0xFF, 0x13, 0x11};
        out.insert(out.end(), bad.begin(), bad.end());
        out.insert(out.end(), good.begin(), good.end());
        return out;
    });
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 4243);
    // No reply flag; word count 3 for a get: both unusable.
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        return wire::ReplyBuilder(r.seq, r.command).PutInt(3, 7).SetWord2(r.command).Encode();
    });
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        return wire::ReplyBuilder(r.seq, r.command).Set(3, 7).Encode();
    });
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    EXPECT_EQ(v, 4243);
    // A scope reply announcing more samples than it carries.
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        return wire::ReplyBuilder(r.seq, r.command).Set(3, 999).PutFloat(4, 1).PutFloat(6, 1).Set(13, 0).Encode();
    });
    double ch1[100], ch2[100];
    uint16_t n = 0;
    ASSERT_EQ(ReadScopeData700(1, 0, 1, 0, 0, 1, 2, ch1, ch2, &n), COMM_OK);
    EXPECT_EQ(n, 3);
    drive().SetHook(nullptr);
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 743);
}

TEST_F(LinkPty, LateAndForeignRepliesAreDropped)
{
    // The drive answers with a wrong sequence number: nothing matches, the call times out.
    drive().SetHook([](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        return wire::ReplyBuilder(static_cast<uint16_t>(r.seq + 100), r.command).PutInt(3, 1).Encode();
    });
    double v = 0;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    EXPECT_GE(Since(t0), 450ms);
    // A reply that comes after its time-out, while the next exchange waits: the next exchange
    // must get its own reply, not the late one.
    std::vector<uint8_t> late;
    drive().SetHook([&](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        late = wire::ReplyBuilder(r.seq, r.command).PutInt(3, 111).Encode();
        return std::vector<uint8_t> {};
    });
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    drive().SetHook([&](const wire::Request& r) -> std::optional<std::vector<uint8_t>> {
        auto out = late;
        auto mine = wire::ReplyBuilder(r.seq, r.command).PutInt(3, 222).Encode();
        out.insert(out.end(), mine.begin(), mine.end());
        return out;
    });
    const int st = GetVar700("Model", &v);
    drive().SetHook(nullptr);  // the hooks refer to this test's locals
    ASSERT_EQ(st, COMM_OK);
    EXPECT_EQ(v, 222);
}

TEST_F(LinkPty, ThreeThreadsWithRepliesInAnyOrder)
{
    drive().reverseBatch = 3;  // the drive answers three requests at a time, last one first
    const int before = drive().requests;
    const char* names[3] = {"Model", "VelCmd", "AxisAddr"};
    const double expect[3] = {743, 19.25, 1042};
    std::atomic<int> failures {0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 30; ++i) {
                double v = 0;
                if (GetVar700(names[t], &v) != COMM_OK || v != expect[t])
                    ++failures;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    // A batch left incomplete (one thread ran ahead) is sent after 100 ms, in reverse too.
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(drive().requests - before, 90);
    drive().reverseBatch = 0;
    drive().Flush();
}

TEST_F(LinkPty, AThreadThatFailsAgainAndAgainLetsAWaitingThreadGoFirst)
{
    // The drive never answers scope reads; a scope read holds the port for its whole 2 s
    // time-out. One thread fetches in a loop, as the scope's data thread does; another reads a
    // variable now and then, as the windows do. Each read waits for the fetch in flight at most:
    // the fetching thread, back at once after its failure, queues behind the waiting read.
    drive().SetHook([](const wire::Request& rq) -> std::optional<std::vector<uint8_t>> {
        if (rq.command == wire::CMD_READ_SCOPE)
            return std::vector<uint8_t>{};
        return std::nullopt;
    });
    std::atomic<bool> stop {false};
    std::atomic<int> fetches {0};
    std::thread pump([&] {
        double ch1[100], ch2[100];
        uint16_t n = 0;
        while (!stop) {
            EXPECT_EQ(ReadScopeData700(0, 0, 1, 0, 0, 1, 2, ch1, ch2, &n), NO_RESPONSE);
            ++fetches;
        }
    });
    while (fetches == 0 && drive().RequestWithCommand(wire::CMD_READ_SCOPE).empty())
        std::this_thread::sleep_for(1ms);
    int last = fetches;
    for (int i = 0; i < 2; ++i) {
        double v = 0;
        EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
        EXPECT_LE(fetches - last, 1) << "read " << i << " waited behind more than the fetch in flight";
        last = fetches;
    }
    stop = true;
    pump.join();
    drive().SetHook({});
}

TEST_F(LinkPty, PortSelectionFailures)
{
    setenv("COMM700_COM2", "/nonexistent/tty", 1);
    EXPECT_EQ(UseSerialPort(2), 0);
    EXPECT_EQ(InitComPort700(2), NO_PORT);
    EXPECT_EQ(UseSerialPort(9), 0);
    double v;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetVar700("Model", &v), PORT_MUTEX_NOT_AVAILABLE);  // port 9: no lock at all
    EXPECT_EQ(SetAxis700(3), PORT_MUTEX_NOT_AVAILABLE);
    EXPECT_LT(Since(t0), 100ms);
    EXPECT_EQ(InitComPort700(-1), NO_PORT);
    EXPECT_EQ(InitComPort700(0), NO_PORT);
    EXPECT_EQ(InitComPort700(5), NO_PORT);
    // The device may also come from the program's settings file, which the library reads
    // itself; the environment is not involved.
    unsetenv("COMM700_COM1");
    char dir[] = "/tmp/linkptyXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string ini = std::string(dir) + "/700Tools.ini";
    FILE* f = std::fopen(ini.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "[SOFTWARE]\nKorvane\\700\\Comm\\Devices\\COM1=%s\n", pty->path.c_str());
    std::fclose(f);
    setenv("TOOLS700_SETTINGS", ini.c_str(), 1);
    EXPECT_EQ(UseSerialPort(1), 1);
    unsetenv("TOOLS700_SETTINGS");
    std::remove(ini.c_str());
    rmdir(dir);
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    unsetenv("COMM700_COM2");
    setenv("COMM700_COM1", pty->path.c_str(), 1);
}

TEST_F(LinkPty, HostPutCharWritesToTheLine)
{
    const long before = pty->bytesIn;
    EXPECT_EQ(HostPutChar(0x41), 0x41);
    EXPECT_EQ(SrlPutChar(0x42), 0x42);  // serial mode: the same line
    auto t0 = std::chrono::steady_clock::now();
    while (pty->bytesIn < before + 2 && Since(t0) < 2000ms)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(pty->bytesIn, before + 2);
}

TEST_F(LinkPty, APeerThatHangsUpIsALostDevice)
{
    pty->HangUp();
    double v = 0;
    // The write finds the line dead (a link failure), or the receive thread has already closed
    // it and the pseudo-terminal no longer exists (no port); either way not a silent drive.
    const int first = GetVar700("Model", &v);
    EXPECT_TRUE(first == COMM_ERROR || first == NO_PORT) << first;
    EXPECT_EQ(GetVar700("Model", &v), NO_PORT);
}

TEST_F(LinkPty, ASecondHostProcessIsRefusedUntilTheFirstEnds)
{
    ASSERT_EQ(UseSerialPort(0), 0);  // let the helper have the port
    linktest::ChildProcess first(LINK_TEST_DRIVE, {"host", "1", "500"});
    ASSERT_EQ(first.ReadLine(), "ready 1");
    // While the first reads, this process cannot have the port.
    EXPECT_EQ(UseSerialPort(1), 0);
    EXPECT_EQ(InitComPort700(1), NO_PORT);
    double v = -1;
    EXPECT_EQ(GetVar700("Model", &v), NO_PORT);
    EXPECT_EQ(v, -1);
    const std::string text = tools700::platform::LineInUseText(1);
    EXPECT_NE(text.find("is in use by another program (process " + std::to_string(first.pid()) + ")"),
              std::string::npos) << text;
    EXPECT_EQ(first.ReadLine(), "reads 1000 0 0");  // every value of the first host is right
    first.Kill(SIGKILL);
    // The kernel dropped the killed owner's hold: the port opens at once.
    EXPECT_EQ(UseSerialPort(1), 1);
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 743);
    EXPECT_EQ(tools700::platform::LineInUseText(1), "");
}

// An unplugged USB adapter looks like this to the reader: the other end of the terminal is gone.
// The port is reached through a link that is then pointed at a new terminal (the adapter back,
// under the same name).
TEST(LinkUnplug, ALostDeviceFailsAtOnceAndIsReopenedWhenItIsBack)
{
    char dir[] = "/tmp/unplugXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyUSB0";
    auto first = std::make_unique<PtyDrive>();
    ASSERT_TRUE(first->ok());
    ASSERT_EQ(symlink(first->path.c_str(), link.c_str()), 0);
    setenv("COMM700_COM1", link.c_str(), 1);
    ASSERT_EQ(UseSerialPort(1), 1);
    double v = 0;
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);

    // An exchange in flight when the device goes: a link failure, not a wait for the drive.
    first->drive.silent = true;
    const int before = first->drive.requests;
    int inFlight = -1;
    std::thread scope([&] {
        double ch1[100], ch2[100];
        uint16_t n = 0;
        inFlight = ReadScopeData700(1, 0, 100, 0, 0, 1, 2, ch1, ch2, &n);
    });
    auto t0 = std::chrono::steady_clock::now();
    while (first->drive.requests == before && Since(t0) < 5000ms)
        std::this_thread::sleep_for(1ms);
    first->HangUp();
    scope.join();
    EXPECT_EQ(inFlight, COMM_ERROR);
    // Gone: every call fails at once with no port, many times over.
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(GetVar700("Model", &v), NO_PORT);

    // Plugged in again, under the same name.
    auto second = std::make_unique<PtyDrive>();
    ASSERT_TRUE(second->ok());
    const std::string tmp = link + ".new";
    ASSERT_EQ(symlink(second->path.c_str(), tmp.c_str()), 0);
    ASSERT_EQ(rename(tmp.c_str(), link.c_str()), 0);
    int st = -1;
    t0 = std::chrono::steady_clock::now();
    while ((st = GetVar700("Model", &v)) != COMM_OK && Since(t0) < 10000ms)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(st, COMM_OK);
    EXPECT_EQ(v, 743);
    EXPECT_GT(second->drive.requests, 0);

    EXPECT_EQ(UseSerialPort(0), 0);
    unsetenv("COMM700_COM1");
    unlink(link.c_str());
    rmdir(dir);
}
