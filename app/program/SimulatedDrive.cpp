#include "SimulatedDrive.h"

#include "tools700/platform/Namespace.h"
#include "tools700/platform/Process.h"
#include "tools700/settings/SettingsFile.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <set>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tools700 {

namespace {

constexpr std::string_view kNamespacePrefix = "tools700-simulator-";

// The first line of what the file at `fd` holds, from its start.
std::string FirstLine(int fd)
{
    char buf[512];
    const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0)
        return {};
    std::string text(buf, static_cast<size_t>(n));
    return text.substr(0, text.find('\n'));
}

enum class Readiness { Ready, Ended, TimedOut };

// Reads the simulator's ready line from `fd` within `timeoutMs`; Ended when the pipe closed.
Readiness ReadReadyLine(int fd, int timeoutMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return Readiness::TimedOut;
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0)
            return Readiness::TimedOut;
        if (r < 0)
            return Readiness::Ended;
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Readiness::Ended;
        if (c == '\n')
            return Readiness::Ready;
    }
}

// Removes the namespaces of simulated runs whose process has ended (killed before it could).
void RemoveEndedSimulatorNamespaces()
{
    std::set<std::string> ended;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator("/dev/shm", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kNamespacePrefix, 0) != 0)
            continue;
        const std::string ns = name.substr(0, name.find('.'));
        char *end = nullptr;
        const long pid = std::strtol(ns.c_str() + kNamespacePrefix.size(), &end, 10);
        if (*end == '\0' && pid > 0 && pid != getpid() && !platform::ProcessAlive(static_cast<pid_t>(pid)))
            ended.insert(ns);
    }
    for (const std::string &ns : ended)
        platform::RemoveNamespaceObjects(ns);
}

} // namespace

SimulatorOption TakeSimulatorOption(std::vector<std::string> &args)
{
    SimulatorOption option;
    for (size_t i = 0; i < args.size();) {
        if (args[i] == "--simulator") {
            option.wanted = true;
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            if (i < args.size() && !args[i].empty() && args[i][0] != '-') {
                option.model = args[i];
                args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            }
        } else if (args[i].rfind("--simulator=", 0) == 0) {
            option.wanted = true;
            option.model = args[i].substr(std::strlen("--simulator="));
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return option;
}

std::string SimulatorNamespace(pid_t pid)
{
    return std::string(kNamespacePrefix) + std::to_string(pid);
}

std::string SimulatorSettingsPath()
{
    return (std::filesystem::path(settings::FilePath()).parent_path() / "700Tools-simulator.ini").string();
}

void EnterSimulatorEnvironment()
{
    RemoveEndedSimulatorNamespaces();
    const std::string settings = SimulatorSettingsPath();
    setenv("COMM700_NAMESPACE", SimulatorNamespace(getpid()).c_str(), 1);
    setenv("TOOLS700_SETTINGS", settings.c_str(), 1);
}

bool InSimulatorEnvironment()
{
    const char *ns = std::getenv("COMM700_NAMESPACE");
    return ns != nullptr && ns == SimulatorNamespace(getpid());
}

std::string SimulatorBesideProgram(const std::string &executable)
{
    return (std::filesystem::path(executable).parent_path() / "drivesim").string();
}

SimulatedDrive::~SimulatedDrive()
{
    Stop();
}

std::string SimulatedDrive::Start(const std::string &drivesim, const std::string &model, int timeoutMs)
{
    Stop();
    if (access(drivesim.c_str(), X_OK) != 0)
        return "the drive simulator " + drivesim + " cannot be run: " + std::strerror(errno);

    std::vector<std::string> args{drivesim};
    if (!model.empty())
        args.insert(args.end(), {"--model", model});
    args.insert(args.end(), {"--axes", "1"});
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Its ready line comes through a pipe; its error text goes to a file of no name, which it
    // can fill without ever blocking, read here when it ends before it is ready.
    int out[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0)
        return std::string("no pipe for the drive simulator: ") + std::strerror(errno);
    const int err = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // The simulator ends with the program, also when the program is killed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        dup2(out[1], STDOUT_FILENO);
        if (err >= 0)
            dup2(err, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        const int e = errno;
        close(out[0]);
        if (err >= 0)
            close(err);
        return std::string("the drive simulator cannot be started: ") + std::strerror(e);
    }
    pid_ = pid;
    namespace_ = platform::Namespace();
    const Readiness readiness = ReadReadyLine(out[0], timeoutMs);
    close(out[0]);
    std::string why;
    if (readiness == Readiness::Ended) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid)
            pid_ = -1;
        why = drivesim + " ended before it was ready";
        if (const std::string text = err >= 0 ? FirstLine(err) : std::string(); !text.empty())
            why += ": " + text;
        else if (WIFEXITED(status))
            why += " (exit code " + std::to_string(WEXITSTATUS(status)) + ")";
        Stop();
    } else if (readiness == Readiness::TimedOut) {
        why = drivesim + " did not answer within " + std::to_string(timeoutMs / 1000) + " s";
        Stop();
    }
    if (err >= 0)
        close(err);
    return why;
}

void SimulatedDrive::Stop()
{
    if (pid_ > 0)
        platform::EndProcess(pid_, 1000);
    pid_ = -1;
    if (namespace_.rfind(kNamespacePrefix, 0) == 0)
        platform::RemoveNamespaceObjects(namespace_);
    namespace_.clear();
}

} // namespace tools700
