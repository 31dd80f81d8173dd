// Serial ports: the mapping of the port numbers 1..4 ("COM1".."COM4") to Linux devices, and the
// termios line settings of the drive link (19200 bit/s, 8 data bits, no parity, 1 stop bit, no
// flow control, raw, non-blocking reads).
//
// Device of COMn, first match wins:
//   1. the environment variable COMM700_COMn (tests point it at a pseudo-terminal; a user can
//      override the settings for one run);
//   2. the key "SOFTWARE/Korvane/700/Comm/Devices/COMn" of the settings file the program and
//      the command-line tool share (read each time a port is opened);
//   3. /dev/ttyS<n-1>.
//
// A port is held by one process at a time: it is opened in the terminal's exclusive mode (other
// opens fail with EBUSY) and with an advisory flock, which programs that honour device locks
// respect too and which the kernel drops when the holder ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tools700::platform {

constexpr int kComPortCount = 4;

// The device of port n (1..4); empty for any other n.
std::string ComPortDevice(int n);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device read/write (no controlling terminal), takes it exclusively and applies
    // the line settings. False on any failure (the port is then closed); errorText() tells why
    // and inUse() whether another process holds the device.
    bool Open(const std::string& device);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& errorText() const { return error_; }
    bool inUse() const { return inUse_; }
    // True once a read or write found the device gone (hang-up, EIO, ENXIO, ...): the
    // descriptor is useless and the owner closes it.
    bool lost() const { return lost_; }

    // True when opening `device` fails because another process holds it in exclusive mode.
    static bool OpenedExclusivelyElsewhere(const std::string& device);

    // One non-blocking read of one byte: 0..255, or -1 when nothing has arrived or on error.
    int ReadByte();
    // Non-blocking read of up to `cap` bytes: the count, 0 when none, -1 on error or hang-up
    // (then lost() is true).
    long Read(uint8_t* buf, std::size_t cap);
    // Writes all bytes, waiting for room in the transmit queue at most timeoutMs in total.
    // Returns the number of bytes written (less than n on time-out or error; an error that
    // means the device is gone sets lost()).
    std::size_t Write(const uint8_t* data, std::size_t n, int timeoutMs = 1000);
    // Waits until the port has a byte to read, at most timeoutMs. True when readable.
    bool WaitReadable(int timeoutMs);

private:
    int fd_ = -1;
    std::string error_;
    bool inUse_ = false;
    bool lost_ = false;
};

// Applies the link's line settings to an open terminal descriptor (also used by the drive
// simulator on its side of a pseudo-terminal). False with errno set on failure.
bool ConfigureLine(int fd);

}  // namespace tools700::platform
