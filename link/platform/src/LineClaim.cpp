#include "tools700/platform/LineClaim.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "tools700/platform/Namespace.h"
#include "tools700/platform/SerialPort.h"

namespace tools700::platform {

namespace {

std::string ClaimFilePath()
{
    const std::string object = ObjectPath("envsim host");
    return object.empty() ? std::string() : "/dev/shm" + object;
}

int OpenClaimFile()
{
    const std::string path = ClaimFilePath();
    if (path.empty())
        return -1;
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

pid_t ReadPid(int fd)
{
    char buf[32] = {};
    const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0)
        return -1;
    const long v = std::strtol(buf, nullptr, 10);
    return v > 0 ? static_cast<pid_t>(v) : -1;
}

std::string Resolved(const std::string& path)
{
    char buf[PATH_MAX];
    if (realpath(path.c_str(), buf) != nullptr)
        return buf;
    return path;
}

}  // namespace

pid_t FlockHolder(const std::string& path)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return 0;
    FILE* locks = std::fopen("/proc/locks", "re");
    if (locks == nullptr)
        return 0;
    // "1: FLOCK  ADVISORY  WRITE 1234 00:19:5 0 EOF" (device numbers in hex, inode decimal);
    // lines of waiters ("1: -> FLOCK ...") are skipped.
    char line[256];
    pid_t found = 0;
    const pid_t self = getpid();
    while (found == 0 && std::fgets(line, sizeof line, locks) != nullptr) {
        char kind[16], mode[16], access[16];
        long pid = 0;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(line, "%*d: %15s %15s %15s %ld %x:%x:%llu", kind, mode, access, &pid, &major,
                        &minor, &inode) != 7)
            continue;
        if (std::strcmp(kind, "FLOCK") != 0 || pid <= 0 || pid == self)
            continue;
        if (major == ::major(st.st_dev) && minor == ::minor(st.st_dev) && inode == st.st_ino)
            found = static_cast<pid_t>(pid);
    }
    std::fclose(locks);
    return found;
}

bool SimChannelClaim::Take()
{
    if (fd_ >= 0)
        return true;
    const int fd = OpenClaimFile();
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The claim holds without the id; others are told the port is in use, without a number.
    }
    fd_ = fd;
    return true;
}

void SimChannelClaim::Release()
{
    if (fd_ < 0)
        return;
    // Empty the id first, so nobody names this process after it has let go.
    (void)!ftruncate(fd_, 0);
    ::close(fd_);  // drops the flock
    fd_ = -1;
}

pid_t SimChannelHolder()
{
    const int fd = OpenClaimFile();
    if (fd < 0)
        return 0;
    pid_t holder = 0;
    const pid_t recorded = ReadPid(fd);
    if (recorded == getpid()) {
        holder = 0;  // this process holds it
    } else if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
        flock(fd, LOCK_UN);  // nobody holds it
    } else {
        holder = ReadPid(fd);  // read again: the owner may have written its id meanwhile
    }
    ::close(fd);
    return holder;
}

pid_t DeviceHolder(const std::string& device)
{
    if (device.empty())
        return 0;
    const std::string target = Resolved(device);
    const pid_t self = getpid();
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return 0;
    pid_t found = 0;
    while (found == 0) {
        dirent* e = readdir(proc);
        if (e == nullptr)
            break;
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == self)
            continue;
        const std::string fdDir = std::string("/proc/") + e->d_name + "/fd";
        DIR* fds = opendir(fdDir.c_str());
        if (fds == nullptr)
            continue;
        while (dirent* f = readdir(fds)) {
            if (f->d_name[0] == '.')
                continue;
            char link[PATH_MAX];
            const std::string entry = fdDir + "/" + f->d_name;
            const ssize_t n = readlink(entry.c_str(), link, sizeof link - 1);
            if (n <= 0)
                continue;
            link[n] = '\0';
            if (target == link) {
                found = static_cast<pid_t>(pid);
                break;
            }
        }
        closedir(fds);
    }
    closedir(proc);
    return found;
}

std::string LineInUseText(int port)
{
    pid_t holder = 0;
    std::string line;
    if (port == 0) {
        holder = SimChannelHolder();
        line = "The simulator channel";
    } else if (port >= 1 && port <= kComPortCount) {
        const std::string device = ComPortDevice(port);
        holder = FlockHolder(device);
        if (holder == 0 && SerialPort::OpenedExclusivelyElsewhere(device)) {
            holder = DeviceHolder(device);
            if (holder == 0)
                holder = -1;
        }
        line = "Port COM" + std::to_string(port) + " (" + device + ")";
    }
    if (holder == 0)
        return {};
    line += " is in use by another program";
    if (holder > 0)
        line += " (process " + std::to_string(holder) + ")";
    return line;
}

}  // namespace tools700::platform
