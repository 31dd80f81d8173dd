#include "tools700/platform/SerialPort.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "tools700/platform/IniSettings.h"

namespace tools700::platform {

std::string ComPortDevice(int n)
{
    if (n < 1 || n > kComPortCount)
        return {};
    const std::string var = "COMM700_COM" + std::to_string(n);
    const char* env = std::getenv(var.c_str());
    if (env != nullptr && *env != '\0')
        return env;
    std::string stored = StoredComPortDevice(n);
    if (!stored.empty())
        return stored;
    return "/dev/ttyS" + std::to_string(n - 1);
}

namespace {

// Errors after which a descriptor of a serial device is of no more use: the adapter was
// unplugged or the other end of a pseudo-terminal went away.
bool MeansDeviceGone(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV || err == EPIPE || err == EBADF || err == ENOTTY;
}

}  // namespace

bool ConfigureLine(int fd)
{
    termios t {};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);                      // binary: no echo, no line editing, no byte translation
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CREAD | CLOCAL;  // 8N1, ignore modem lines (no DSR/CTS flow control)
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);  // no XON/XOFF either way
    t.c_cc[VSTART] = 0x11;              // XON/XOFF characters as the drive's line defines them,
    t.c_cc[VSTOP] = 0x13;               // although software flow control stays off
    t.c_cc[VMIN] = 0;                   // a read returns at once with what has arrived
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, B19200) != 0 || cfsetospeed(&t, B19200) != 0)
        return false;
    if (tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    // Hold DTR and RTS off. A pseudo-terminal has no modem lines; that is not an error.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIC, &lines);
    return true;
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const std::string& device)
{
    Close();
    error_.clear();
    if (device.empty()) {
        error_ = "no device";
        return false;
    }
    inUse_ = false;
    lost_ = false;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        inUse_ = errno == EBUSY;  // another process has it in exclusive mode
        error_ = device + ": " + std::strerror(errno);
        return false;
    }
    if (!isatty(fd)) {
        error_ = device + ": not a serial line";
        ::close(fd);
        return false;
    }
    // Ours alone: an advisory lock first (the kernel drops it when we end, however we end),
    // then exclusive mode, so that even programs that ignore locks cannot open it meanwhile.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        inUse_ = errno == EWOULDBLOCK;
        error_ = device + ": " + (inUse_ ? std::string("in use by another program") : std::strerror(errno));
        ::close(fd);
        return false;
    }
    (void)ioctl(fd, TIOCEXCL);  // refused by some drivers; the flock still keeps cooperating programs out
    if (!ConfigureLine(fd)) {
        error_ = device + ": not a serial line (" + std::strerror(errno) + ")";
        ::close(fd);
        return false;
    }
    tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return true;
}

void SerialPort::Close()
{
    if (fd_ >= 0) {
        (void)ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
    lost_ = false;
}

bool SerialPort::OpenedExclusivelyElsewhere(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EBUSY;
}

int SerialPort::ReadByte()
{
    uint8_t b = 0;
    return Read(&b, 1) == 1 ? b : -1;
}

long SerialPort::Read(uint8_t* buf, std::size_t cap)
{
    if (fd_ < 0)
        return -1;
    ssize_t n = ::read(fd_, buf, cap);
    if (n > 0)
        return static_cast<long>(n);
    if (n == 0 || errno == EAGAIN || errno == EINTR)
        return 0;
    if (MeansDeviceGone(errno))
        lost_ = true;
    return -1;
}

std::size_t SerialPort::Write(const uint8_t* data, std::size_t n, int timeoutMs)
{
    if (fd_ < 0)
        return 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd_, data + done, n - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) {
            if (MeansDeviceGone(errno))
                lost_ = true;
            break;
        }
        // Transmit queue full: wait for room, bounded, instead of dropping bytes.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p {fd_, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            lost_ = true;
            break;
        }
    }
    return done;
}

bool SerialPort::WaitReadable(int timeoutMs)
{
    if (fd_ < 0)
        return false;
    pollfd p {fd_, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
}

}  // namespace tools700::platform
