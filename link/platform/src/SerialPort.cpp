#include "tools700/platform/SerialPort.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tools700::platform {

namespace {

std::string SettingsVariable(int n) { return "COMM700_SETTINGS_COM" + std::to_string(n); }

}  // namespace

std::string ComPortDevice(int n)
{
    if (n < 1 || n > kComPortCount)
        return {};
    const std::string var = "COMM700_COM" + std::to_string(n);
    const char* env = std::getenv(var.c_str());
    if (env != nullptr && *env != '\0')
        return env;
    const char* settings = std::getenv(SettingsVariable(n).c_str());
    if (settings != nullptr && *settings != '\0')
        return settings;
    return "/dev/ttyS" + std::to_string(n - 1);
}

bool SetComPortDevice(int n, std::string device)
{
    if (n < 1 || n > kComPortCount)
        return false;
    if (device.empty())
        unsetenv(SettingsVariable(n).c_str());
    else
        setenv(SettingsVariable(n).c_str(), device.c_str(), 1);
    return true;
}

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
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = device + ": " + std::strerror(errno);
        return false;
    }
    if (!isatty(fd) || !ConfigureLine(fd)) {
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
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
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
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    return n == 0 ? 0 : -1;
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
        if (w < 0 && errno != EAGAIN && errno != EINTR)
            break;
        // Transmit queue full: wait for room, bounded, instead of dropping bytes.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p {fd_, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0 || (p.revents & (POLLERR | POLLNVAL)))
            break;
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
