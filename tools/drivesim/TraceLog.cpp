#include "TraceLog.h"

#include "SimClock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace drivesim {

TraceLog::TraceLog(const std::string& path, bool log, bool time) : path_(path), log_(log), time_(time)
{
    if (path_.empty()) return;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) error_ = "can't open trace file " + path_ + ": " + std::strerror(errno);
}

TraceLog::~TraceLog()
{
    if (fd_ >= 0) ::close(fd_);
}

void TraceLog::Request(int axis, const std::string& command, const std::string& name,
                       const std::string& value, const std::string& result)
{
    std::string line = std::to_string(axis) + ' ' + command + ' ' + name + ' ' + value + ' ' + result;
    if (time_) {
        char ms[32];
        std::snprintf(ms, sizeof ms, " %.1f", NowMs());
        line += ms;
    }
    line += '\n';
    if (fd_ >= 0) {
        // One write per line: a reader never sees half a line, and O_APPEND keeps lines whole
        // even when several simulators share the file.
        const char* p = line.data();
        std::size_t left = line.size();
        while (left > 0) {
            ssize_t n = ::write(fd_, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (log_) std::fprintf(stderr, "drivesim: %s", line.c_str());
}

void TraceLog::Note(const std::string& text)
{
    if (log_) std::fprintf(stderr, "drivesim: %s\n", text.c_str());
}

}  // namespace drivesim
