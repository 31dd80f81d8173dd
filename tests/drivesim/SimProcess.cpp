#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "comm700.h"

namespace drivesim_test {

namespace {

std::string Program() { return std::string(TOOLS700_BIN_DIR) + "/drivesim"; }

pid_t Spawn(const std::vector<std::string>& args, int outFd, int errFd)
{
    std::vector<std::string> all{Program()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (outFd >= 0) dup2(outFd, STDOUT_FILENO);
        if (errFd >= 0) dup2(errFd, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int WaitFor(pid_t pid, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0) return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

SimProcess::~SimProcess()
{
    if (pid_ > 0) Stop();
}

bool SimProcess::Start(const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_ = Spawn(args, fds[1], -1);
    close(fds[1]);
    stdoutFd_ = fds[0];
    if (pid_ < 0) return false;
    // The ready line: everything up to the first newline, within 20 s (sanitizer builds start slowly).
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{stdoutFd_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c;
        ssize_t n = read(stdoutFd_, &c, 1);
        if (n <= 0) return false;  // ended before it was ready
        if (c == '\n') return true;
        ready_ += c;
    }
    return false;
}

int SimProcess::Stop()
{
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = WaitFor(pid_, 10000);
    pid_ = -1;
    if (stdoutFd_ >= 0) close(stdoutFd_);
    stdoutFd_ = -1;
    return status;
}

int SimProcess::Run(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    TempDir dir;
    int o = open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int e = open(dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_t pid = Spawn(args, o, e);
    close(o);
    close(e);
    int status = WaitFor(pid, 10000);
    std::ifstream fo(dir.File("out")), fe(dir.File("err"));
    std::stringstream so, se;
    so << fo.rdbuf();
    se << fe.rdbuf();
    out = so.str();
    err = se.str();
    return status;
}

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "drivesim-test-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) std::abort();
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream ss(line);
    std::string f;
    while (std::getline(ss, f, ' ')) out.push_back(f);
    return out;
}

void DrainSimulatorQueue()
{
    while (SrlGetChar() >= 0) {
    }
}

}  // namespace drivesim_test
