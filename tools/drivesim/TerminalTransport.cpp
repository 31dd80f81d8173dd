// Serial devices and pseudo-terminals: a non-blocking descriptor in raw mode at the link's
// line settings (19200 bit/s, 8N1, no flow control), waited on with poll().
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include "Transport.h"
#include "tools700/platform/SerialPort.h"

namespace drivesim {

namespace {

class TerminalTransport : public Transport {
public:
    TerminalTransport(int fd, int keepOpenFd, std::string ready)
        : fd_(fd), keepOpen_(keepOpenFd), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), ready_(std::move(ready))
    {
    }
    ~TerminalTransport() override
    {
        if (wake_ >= 0) ::close(wake_);
        if (keepOpen_ >= 0) ::close(keepOpen_);
        ::close(fd_);
    }

    std::size_t Read(std::uint8_t* buf, std::size_t cap) override
    {
        ssize_t n = ::read(fd_, buf, cap);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    bool TryWrite(std::uint8_t byte) override
    {
        for (;;) {
            ssize_t n = ::write(fd_, &byte, 1);
            if (n == 1) return true;
            if (n < 0 && errno == EINTR) continue;
            return false;  // EAGAIN: the output queue is full for now
        }
    }

    void Wait(double ms) override
    {
        if (ms <= 0) return;
        pollfd p[2] {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        int timeout = ms < 1.0 ? 1 : static_cast<int>(ms);
        if (::poll(p, wake_ >= 0 ? 2 : 1, timeout) <= 0) return;
        if (p[1].revents & POLLIN) {
            std::uint64_t count = 0;
            (void)!::read(wake_, &count, sizeof count);
            return;
        }
        if ((p[0].revents & (POLLHUP | POLLERR)) && !(p[0].revents & POLLIN)) {
            // No reader on the other side at the moment: don't spin on the hang-up.
            ::usleep(static_cast<useconds_t>(timeout) * 1000);
        }
    }

    void WaitWritable(double ms) override
    {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, ms < 1.0 ? 1 : static_cast<int>(ms));
    }

    void Interrupt() override
    {
        const std::uint64_t one = 1;
        if (wake_ >= 0) (void)!::write(wake_, &one, sizeof one);
    }

    std::string ReadyLine() const override { return ready_; }

private:
    int fd_;
    int keepOpen_;
    int wake_;  // eventfd: Interrupt() ends a Wait at once
    std::string ready_;
};

}  // namespace

std::unique_ptr<Transport> OpenDevice(const std::string& path, std::string& error)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "can't open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!::isatty(fd)) {
        // A plain file or /dev/null would read as an endless end of file.
        error = path + " is not a serial device (terminal)";
        ::close(fd);
        return nullptr;
    }
    if (!tools700::platform::ConfigureLine(fd)) {
        error = "can't set the line settings of " + path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<TerminalTransport>(fd, -1, path);
}

std::unique_ptr<Transport> OpenPty(std::string& error)
{
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("can't create a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) ::close(master);
        return nullptr;
    }
    char name[256];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("can't name the pseudo-terminal: ") + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    // Holding the slave open keeps the master readable while no host has the port open, and
    // puts the line into raw mode before the first host opens it.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0 || !tools700::platform::ConfigureLine(slave)) {
        error = std::string("can't set up ") + name + ": " + std::strerror(errno);
        if (slave >= 0) ::close(slave);
        ::close(master);
        return nullptr;
    }
    int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return std::make_unique<TerminalTransport>(master, slave, name);
}

}  // namespace drivesim
