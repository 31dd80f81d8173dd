// link_test_drive: a helper process for the simulator-channel tests. It loads libcomm700.so
// and plays a drive through SrlGetChar/SrlPutChar, or does one of a few things a test needs
// another process for. The mode comes from argv[1] or, when started by LaunchSimulator (which
// passes no arguments), from TEST_DRIVE_MODE.
//
//   drive            answer requests until SIGTERM (prints "ready")
//   hold-lock NAME   take the named lock, print "ready", wait to be killed
//   fill-queues      put bytes into both simulator queues, print "ready", wait to be killed
//   report           print "<attach count> <host-to-drive empty> <drive-to-host empty>"
//   echo             drive side without frames: every byte from the host comes back plus one
//   host-bytes       host side without a receive thread: HostPutChar 0x41, then print the
//                    first byte HostGetChar returns within two seconds (or -1)
//   host PORT N      the host of port PORT (0 simulator channel): UseSerialPort, print
//                    "ready <its result>", read Model and VelCmd N times each, print
//                    "reads <right> <wrong> <failed>", wait to be killed
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

#include "TestDrive.h"
#include "comm700.h"
#include "tools700/platform/EnvSim.h"
#include "tools700/platform/NamedLock.h"

namespace {

std::atomic<bool> g_stop {false};

void OnTerm(int) { g_stop = true; }

void Ready()
{
    std::printf("ready\n");
    std::fflush(stdout);
}

int Drive()
{
    tools700::platform::EnvSim sim;
    sim.Open();
    linktest::TestDrive drive([](const std::vector<uint8_t>& bytes) {
        for (uint8_t b : bytes)
            while (SrlPutChar(b) < 0 && !g_stop)
                usleep(200);  // the host reads as we write
    });
    Ready();
    uint8_t buf[256];
    while (!g_stop) {
        std::size_t n = 0;
        for (int b; n < sizeof buf && (b = SrlGetChar()) >= 0;)
            buf[n++] = static_cast<uint8_t>(b);
        if (n == 0) {
            sim.WaitHostToDrive(6);
            continue;
        }
        drive.Feed(buf, n);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGTERM, OnTerm);
    // A helper ends with the test that started it, also when that test is killed or crashes
    // (a stopped helper would otherwise keep its lock or channel for the next test run).
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode.empty()) {
        const char* env = std::getenv("TEST_DRIVE_MODE");
        mode = env ? env : "drive";
    }
    if (mode == "drive")
        return Drive();
    if (mode == "hold-lock" && argc > 2) {
        tools700::platform::NamedLock lock;
        if (!lock.Open(argv[2]) || !lock.AcquireWithRecovery(5000))
            return 2;
        Ready();
        pause();
        return 0;
    }
    if (mode == "fill-queues") {
        for (int i = 0; i < 60; ++i) {
            HostPutChar(0x55);
            SrlPutChar(0xAA);
        }
        Ready();
        pause();
        return 0;
    }
    if (mode == "echo") {
        Ready();
        while (!g_stop) {
            const int b = SrlGetChar();
            if (b < 0)
                usleep(500);
            else
                SrlPutChar((b + 1) & 0xFF);
        }
        return 0;
    }
    if (mode == "host-bytes") {
        HostPutChar(0x41);
        int b = -1;
        for (int i = 0; i < 4000 && b < 0; ++i) {
            b = HostGetChar();
            if (b < 0)
                usleep(500);
        }
        std::printf("%d\n", b);
        return 0;
    }
    if (mode == "host" && argc > 3) {
        const int opened = UseSerialPort(std::atoi(argv[2]));
        std::printf("ready %d\n", opened);
        std::fflush(stdout);
        const int n = std::atoi(argv[3]);
        int right = 0, wrong = 0, failed = 0;
        for (int i = 0; i < n; ++i) {
            double model = 0, velCmd = 0;
            const int a = GetVar700("Model", &model);
            const int b = GetVar700("VelCmd", &velCmd);
            failed += (a != 0) + (b != 0);
            if (a == 0)
                (model == linktest::TestDrive::DefaultInt(41) ? right : wrong)++;
            if (b == 0)
                (velCmd == linktest::TestDrive::DefaultFloat(19) ? right : wrong)++;
        }
        std::printf("reads %d %d %d\n", right, wrong, failed);
        std::fflush(stdout);
        pause();
        return 0;
    }
    if (mode == "report") {
        tools700::platform::EnvSim sim;
        if (!sim.Open())
            return 2;
        auto* r = sim.region();
        std::printf("%d %d %d\n", sim.AttachCount(), r->hostToDrive.empty, r->driveToHost.empty);
        return 0;
    }
    return 3;
}
