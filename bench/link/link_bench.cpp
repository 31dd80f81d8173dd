// link_bench: round-trip figures of GetVar700 against a drive that answers at once, over a
// pseudo-terminal (real termios) and over the simulator channel, and the CPU use of an idle
// library whose receive thread is running.
//
//   COMM700_NAMESPACE=bench link_bench [exchanges]      (default 2000 per channel)
// A namespace of its own keeps the benchmark off the channel of a program that runs meanwhile.
//
// Host-added latency = round trip measured by the caller minus the drive's own time (from the
// moment its read returned the request's first byte to the end of its reply write).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "comm700.h"
#include "tools700/platform/EnvSim.h"
#include "tools700/platform/Namespace.h"
#include "tools700/wire/Drive.h"
#include "tools700/wire/Receiver.h"

using namespace tools700;
using Clock = std::chrono::steady_clock;

namespace {

double Us(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// An instant drive: answers every get with a fixed value and records its own time per request.
class InstantDrive : public wire::ReceiverSink {
public:
    using Send = std::function<void(const uint8_t*, std::size_t)>;
    explicit InstantDrive(Send send) : send_(std::move(send)) {}
    void Feed(const uint8_t* p, std::size_t n, Clock::time_point firstByte)
    {
        if (!inFrame_) {
            start_ = firstByte;
            inFrame_ = true;
        }
        rx_.Feed(p, n);
    }
    double DriveTimeUs()
    {
        std::lock_guard<std::mutex> g(m_);
        return last_;
    }

private:
    void OnFrame(const uint16_t* f) override
    {
        wire::Request rq;
        if (wire::DecodeRequest(f, &rq)) {
            uint8_t buf[64];
            const std::size_t n = wire::ReplyBuilder(rq.seq, rq.command).PutInt(3, 733).Encode(buf, sizeof buf);
            send_(buf, n);
        }
        std::lock_guard<std::mutex> g(m_);
        last_ = Us(Clock::now() - start_);
        inFrame_ = false;
    }
    void OnRCalValue(uint16_t) override {}

    Send send_;
    wire::Receiver rx_ {*this};
    std::mutex m_;
    Clock::time_point start_;
    bool inFrame_ = false;
    double last_ = 0;
};

struct Figures {
    double medianRtt, p99Rtt, medianHost, p99Host;
    int failures;
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    std::size_t i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

Figures Measure(InstantDrive& drive, int count)
{
    std::vector<double> rtt, host;
    int failures = 0;
    double v = 0;
    for (int i = 0; i < 50; ++i)
        GetVar700("Model", &v);  // warm up
    for (int i = 0; i < count; ++i) {
        const auto t0 = Clock::now();
        const int st = GetVar700("Model", &v);
        const double us = Us(Clock::now() - t0);
        if (st != COMM_OK) {
            ++failures;
            continue;
        }
        rtt.push_back(us);
        host.push_back(us - drive.DriveTimeUs());
    }
    return {Percentile(rtt, 0.5), Percentile(rtt, 0.99), Percentile(host, 0.5), Percentile(host, 0.99), failures};
}

void Print(const char* what, const Figures& f)
{
    std::printf("%-28s round trip median %7.1f us  p99 %7.1f us | host-added median %7.1f us  p99 %7.1f us | failures %d\n",
                what, f.medianRtt, f.p99Rtt, f.medianHost, f.p99Host, f.failures);
}

double IdleCpuPercent(int seconds)
{
    rusage a {}, b {};
    getrusage(RUSAGE_SELF, &a);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    getrusage(RUSAGE_SELF, &b);
    const double wall = Us(Clock::now() - t0);
    auto cpu = [](const rusage& r) {
        return r.ru_utime.tv_sec * 1e6 + r.ru_utime.tv_usec + r.ru_stime.tv_sec * 1e6 + r.ru_stime.tv_usec;
    };
    return 100.0 * (cpu(b) - cpu(a)) / wall;
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    // The library attached in the namespace of the environment when it was loaded; the
    // benchmark works on whatever that is and leaves the channel as it found it.

    // Wire time of the same exchange at 19200 bit/s (10 bits per byte).
    wire::GetVarRequest rq(255, wire::CMD_GET_INT, 41);
    rq.words()[1] = 2;
    uint8_t buf[wire::kMaxEncodedFrameBytes];
    const std::size_t reqBytes = wire::EncodeFrame(rq.words(), buf, sizeof buf);
    const std::size_t repBytes = wire::ReplyBuilder(2, wire::CMD_GET_INT).PutInt(3, 733).Encode(buf, sizeof buf);
    const double wireMs = static_cast<double>(reqBytes + repBytes) * 10.0 / 19200.0 * 1000.0;
    std::printf("GetVar700 exchange: request %zu bytes, reply %zu bytes; wire time at 19200 bit/s %.1f ms\n",
                reqBytes, repBytes, wireMs);

    // ---- pseudo-terminal ----
    int master = -1, slave = -1;
    char name[256];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios t {};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    setenv("COMM700_COM1", name, 1);
    std::atomic<bool> stop {false};
    InstantDrive ptyDrive([&](const uint8_t* p, std::size_t n) { (void)!write(master, p, n); });
    std::thread ptyThread([&] {
        uint8_t in[512];
        while (!stop) {
            pollfd pf {master, POLLIN, 0};
            if (poll(&pf, 1, 20) <= 0)
                continue;
            const auto first = Clock::now();
            const ssize_t n = read(master, in, sizeof in);
            if (n > 0)
                ptyDrive.Feed(in, static_cast<std::size_t>(n), first);
        }
    });
    if (UseSerialPort(1) != 1) {
        std::fprintf(stderr, "cannot open the pseudo-terminal %s\n", name);
        return 1;
    }
    Print("pseudo-terminal:", Measure(ptyDrive, count));
    stop = true;
    ptyThread.join();  // the line stays open, only the drive stops
    std::printf("idle receive thread, serial:   %.3f %% of one core\n", IdleCpuPercent(3));

    // ---- simulator channel (the drive is a thread of this process on the other queue) ----
    UseSerialPort(0);
    stop = false;
    InstantDrive simDrive([](const uint8_t* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            while (SrlPutChar(p[i]) < 0)
                std::this_thread::yield();
    });
    platform::EnvSim sim;
    sim.Open();
    std::thread simThread([&] {
        uint8_t in[256];
        while (!stop) {
            std::size_t n = 0;
            Clock::time_point first {};
            for (int b; n < sizeof in && (b = SrlGetChar()) >= 0;) {
                if (n == 0)
                    first = Clock::now();
                in[n++] = static_cast<uint8_t>(b);
            }
            if (n == 0) {
                sim.WaitHostToDrive(20);
                continue;
            }
            simDrive.Feed(in, n, first);
        }
    });
    Print("simulator channel:", Measure(simDrive, count));
    stop = true;
    simThread.join();
    std::printf("idle receive thread, simulator: %.3f %% of one core\n", IdleCpuPercent(3));
    std::printf("targets: host-added latency <= 1000 us median; idle receive thread < 0.5 %% of one core\n");
    UseSerialPort(-1);
    while (SrlGetChar() >= 0) {
    }
    std::printf("namespace: %s\n", platform::Namespace().c_str());
    close(master);
    close(slave);
    return 0;
}
