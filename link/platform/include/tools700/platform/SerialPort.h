// Serial ports: the mapping of the port numbers 1..4 ("COM1".."COM4") to Linux devices, and the
// termios line settings of the drive link (19200 bit/s, 8 data bits, no parity, 1 stop bit, no
// flow control, raw, non-blocking reads).
//
// Device of COMn, first match wins:
//   1. the environment variable COMM700_COMn (tests point it at a pseudo-terminal; a user can
//      override the settings for one run);
//   2. SetComPortDevice(n, path): the program passes the device stored in its settings file;
//   3. /dev/ttyS<n-1>.
// SetComPortDevice keeps the device in this process's environment (COMM700_SETTINGS_COMn), so
// the copy of this layer inside libcomm700.so sees what the program set through its own copy.
// Call it before UseSerialPort, from one thread (like setenv).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tools700::platform {

constexpr int kComPortCount = 4;

// The device of port n (1..4); empty for any other n.
std::string ComPortDevice(int n);
// Sets the device of port n (1..4) from the program's settings; an empty path removes it.
// Returns false for a port number outside 1..4.
bool SetComPortDevice(int n, std::string device);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device read/write (no controlling terminal, shared with other openers) and
    // applies the line settings. False on any failure (the port is then closed); errorText()
    // tells why.
    bool Open(const std::string& device);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& errorText() const { return error_; }

    // One non-blocking read of one byte: 0..255, or -1 when nothing has arrived or on error.
    int ReadByte();
    // Non-blocking read of up to `cap` bytes: the count, 0 when none, -1 on error or hang-up.
    long Read(uint8_t* buf, std::size_t cap);
    // Writes all bytes, waiting for room in the transmit queue at most timeoutMs in total.
    // Returns the number of bytes written (less than n on time-out or error).
    std::size_t Write(const uint8_t* data, std::size_t n, int timeoutMs = 1000);
    // Waits until the port has a byte to read, at most timeoutMs. True when readable.
    bool WaitReadable(int timeoutMs);

private:
    int fd_ = -1;
    std::string error_;
};

// Applies the link's line settings to an open terminal descriptor (also used by the drive
// simulator on its side of a pseudo-terminal). False with errno set on failure.
bool ConfigureLine(int fd);

}  // namespace tools700::platform
