#include "tools700/platform/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace tools700::platform {

pid_t SpawnProgram(const std::string& program)
{
    if (program.empty())
        return -1;
    std::string arg0 = program;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    return pid;
}

namespace {

// Reaps the child when it has ended. True when it is gone.
bool Reaped(pid_t pid)
{
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid)
        return true;
    if (r < 0 && errno == ECHILD)  // not our child (or SIGCHLD ignored): ask the system instead
        return kill(pid, 0) != 0 && errno == ESRCH;
    return false;
}

bool WaitGone(pid_t pid, int ms)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (Reaped(pid))
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

bool EndProcess(pid_t pid, int graceMs)
{
    if (pid <= 0)
        return true;
    if (Reaped(pid))
        return true;
    if (kill(pid, SIGTERM) != 0 && errno == ESRCH)
        return true;
    if (WaitGone(pid, graceMs))
        return true;
    kill(pid, SIGKILL);
    return WaitGone(pid, 2000);
}

namespace {

// Reads the state letter (field 3) and the start time (field 22) of /proc/<pid>/stat.
bool ReadStat(pid_t pid, char* state, unsigned long long* startTime)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* f = std::fopen(path, "r");
    if (f == nullptr)
        return false;
    char buf[1024];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    // The command name (field 2) may hold blanks and parentheses: start after the last ')'.
    char* p = std::strrchr(buf, ')');
    if (p == nullptr)
        return false;
    ++p;
    for (int field = 3; field <= 22; ++field) {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            return false;
        if (field == 3)
            *state = *p;
        if (field == 22)
            *startTime = std::strtoull(p, nullptr, 10);
        while (*p != ' ' && *p != '\0')
            ++p;
    }
    return true;
}

}  // namespace

bool ProcessAlive(pid_t pid)
{
    char state = '?';
    unsigned long long start = 0;
    return pid > 0 && ReadStat(pid, &state, &start) && state != 'Z' && state != 'X';
}

unsigned long long ProcessStartTime(pid_t pid)
{
    char state = '?';
    unsigned long long start = 0;
    if (pid <= 0 || !ReadStat(pid, &state, &start) || state == 'Z' || state == 'X')
        return 0;
    return start;
}

}  // namespace tools700::platform
