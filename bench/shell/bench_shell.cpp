// Measures Tools700 against the drive simulator on the simulator channel:
//   - start-up time from the program's start until the status bar first shows the drive
//     (the connection monitor's first poll comes one poll interval, 1000 ms, after it starts);
//   - resident memory at that moment;
//   - CPU use of Tools700 over an idle period with the drive connected (target: below 1% of one core).
//
//   bench_shell [--idle-seconds N] [--runs N] [--model N]
// Tools700 runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string> &args, const std::vector<std::string> &env, const char *out)
{
    pid_t pid = fork();
    if (pid == 0) {
        for (const std::string &e : env)
            putenv(strdup(e.c_str()));
        if (out) {
            FILE *f = std::fopen(out, "w");
            if (f)
                dup2(fileno(f), 1);
        }
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool FileHas(const std::string &path, const char *text)
{
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str().find(text) != std::string::npos;
}

long RssKb(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

// User plus system CPU time of a process, in seconds.
double CpuSeconds(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const size_t close = all.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    unsigned long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoul(field);
        if (i == 15)
            stime = std::stoul(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char **argv)
{
    int idleSeconds = 60;
    int runs = 3;
    std::string model = "733";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--idle-seconds")
            idleSeconds = std::atoi(argv[i + 1]);
        else if (a == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--model")
            model = argv[i + 1];
    }
    const std::string bin = TOOLS700_BIN_DIR;
    char dirTemplate[] = "/tmp/bench_shell_XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string ns = "bench-shell-" + std::to_string(getpid());
    setenv("COMM700_NAMESPACE", ns.c_str(), 1);
    const std::vector<std::string> env = {
        "COMM700_NAMESPACE=" + ns, "TOOLS700_SETTINGS=" + dir + "/700Tools.ini", "TOOLS700_AUTO_ANSWER=ok",
        std::string("QT_QPA_PLATFORM=") + (std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "offscreen")};

    const std::string ready = dir + "/sim.ready";
    const pid_t sim = Spawn({bin + "/drivesim", "--model", model, "--axes", "1"}, env, ready.c_str());
    const auto simStart = Clock::now();
    while (!FileHas(ready, "\n")) {
        if (Clock::now() - simStart > std::chrono::seconds(10)) {
            std::fprintf(stderr, "drivesim did not become ready\n");
            Stop(sim);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    std::vector<double> startMs;
    long rss = 0;
    double cpuPercent = -1;
    for (int run = 0; run < runs; ++run) {
        const std::string connected = dir + "/connected." + std::to_string(run);
        std::vector<std::string> runEnv = env;
        runEnv.push_back("TOOLS700_CONNECTED_FILE=" + connected);
        const auto t0 = Clock::now();
        const pid_t app = Spawn({bin + "/Tools700"}, runEnv, nullptr);
        while (!FileHas(connected, "connected")) {
            if (Clock::now() - t0 > std::chrono::seconds(30)) {
                std::fprintf(stderr, "Tools700 did not connect\n");
                Stop(app);
                Stop(sim);
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        startMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        rss = RssKb(app);
        if (run == runs - 1 && idleSeconds > 0) {
            const double c0 = CpuSeconds(app);
            const auto w0 = Clock::now();
            std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
            const double c1 = CpuSeconds(app);
            const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
            cpuPercent = 100.0 * (c1 - c0) / wall;
        }
        Stop(app);
    }
    Stop(sim);
    std::remove(ready.c_str());
    for (int run = 0; run < runs; ++run)
        std::remove((dir + "/connected." + std::to_string(run)).c_str());
    std::remove((dir + "/700Tools.ini").c_str());
    rmdir(dir.c_str());

    std::sort(startMs.begin(), startMs.end());
    std::printf("Tools700 start-up to the main window shown and connected (model %s, %d runs): "
                "min %.0f ms, median %.0f ms, max %.0f ms\n",
                model.c_str(), runs, startMs.front(), startMs[startMs.size() / 2], startMs.back());
    std::printf("  of which the monitor's first poll interval: 1000 ms\n");
    std::printf("Resident memory after start-up: %.1f MiB\n", rss / 1024.0);
    if (cpuPercent >= 0)
        std::printf("CPU use over %d s idle with the drive connected: %.2f%% of one core (target < 1%%)\n", idleSeconds,
                    cpuPercent);
    return 0;
}
