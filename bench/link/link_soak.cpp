// Soak of the link: 10,000 exchanges from three threads against drivesim losing and damaging 1%
// of its reply bytes each. Prints the count of each status, the wrong values reported as a
// success (must be 0) and the longest exchange (must stay within its reply time-out + 100 ms).
#include "../support/PacedSim.h"
#include "comm700.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kExchanges = 10000;
constexpr int kThreads = 3;
constexpr long kReplyTimeoutMs = 500;

struct Tally {
    std::mutex mutex;
    std::map<int, long> byStatus;
    long wrong = 0;
    long longestUs = 0;
    void Add(int status, bool wrongValue, long us)
    {
        std::lock_guard<std::mutex> g(mutex);
        ++byStatus[status];
        wrong += wrongValue;
        longestUs = std::max(longestUs, us);
    }
};

const char *StatusName(int s)
{
    switch (s) {
    case COMM_OK: return "COMM_OK";
    case NO_SUCH_SYMBOL: return "NO_SUCH_SYMBOL";
    case TYPE_ERROR: return "TYPE_ERROR";
    case NO_PORT: return "NO_PORT";
    case NO_RESPONSE: return "NO_RESPONSE";
    case PORT_MUTEX_NOT_AVAILABLE: return "PORT_MUTEX_NOT_AVAILABLE";
    case COMM_ERROR: return "COMM_ERROR";
    default: return "drive refusal";
    }
}

// Writes a value until the drive has taken it (replies may be lost), then reads it back.
bool Settle(const char *name, double value, double &read)
{
    for (int i = 0; i < 50; ++i)
        if (PutVar700(name, value) == COMM_OK)
            break;
    for (int i = 0; i < 50; ++i)
        if (GetVar700(name, &read) == COMM_OK)
            return true;
    return false;
}

}  // namespace

int main(int, char **argv)
{
    if (!bench::OwnNamespace("link_soak", argv))
        return 1;
    bench::PacedSim sim("link_soak", {"--model", "733", "--axes", "1", "--drop", "0.01", "--corrupt", "0.01", "--seed", "7"});
    if (!sim.Up())
        return 1;
    double model = 0, kvp = 0, kip = 0;
    if (!Settle("Kvp", 12.5, kvp) || !Settle("Kip", 3.25, kip)) {
        std::fprintf(stderr, "link_soak: the drive did not take the reference values\n");
        return 1;
    }
    while (GetVar700("Model", &model) != COMM_OK) {
    }

    Tally tally;
    std::atomic<int> next{0};
    auto worker = [&](int which) {
        for (;;) {
            const int i = next.fetch_add(1);
            if (i >= kExchanges)
                return;
            const auto t0 = std::chrono::steady_clock::now();
            int status;
            bool wrongValue = false;
            if (which == 0) {
                double v = -1;
                status = GetVar700("Model", &v);
                wrongValue = status == COMM_OK && v != model;
            } else if (which == 1) {
                double v = -1;
                status = GetVar700("Kvp", &v);
                wrongValue = status == COMM_OK && v != kvp;
            } else {
                const char *names[] = {"Kip", "Model", nullptr};
                double values[2] = {-1, -1};
                int mask = 0;
                status = GetVars700(names, values, &mask);
                wrongValue = status == COMM_OK && mask == 0x3 && (values[0] != kip || values[1] != model);
            }
            const long us = static_cast<long>(
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count());
            tally.Add(status, wrongValue, us);
        }
    };
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(worker, t);
    for (auto &t : threads)
        t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("link_soak: %d exchanges from %d threads, drivesim dropping 1%% and corrupting 1%% of reply bytes\n",
                kExchanges, kThreads);
    for (const auto &[status, count] : tally.byStatus)
        std::printf("  status %d (%s): %ld\n", status, StatusName(status), count);
    std::printf("  wrong values reported as success: %ld (must be 0)\n", tally.wrong);
    std::printf("  longest exchange: %.1f ms (limit %ld ms: reply time-out + 100 ms)\n", tally.longestUs / 1000.0,
                kReplyTimeoutMs + 100);
    std::printf("  wall time: %.1f s\n", seconds);
    const bool ok = tally.wrong == 0 && tally.longestUs <= (kReplyTimeoutMs + 100) * 1000;
    std::printf("  %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
