// The byte channel a host process talks to its drives on: one narrow set of operations, with the
// serial port (SerialTransport) and the simulator channel (SimChannelTransport) as its two
// implementations. The library keeps one of each for its whole life and chooses which one
// carries the exchanges when a port is selected (UseSerialPort700), so no operation asks again
// which kind of line it is on.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tools700::link {

// How long an idle receive thread sleeps in one wait. Arriving bytes, a stop request and a port
// change all wake it at once, so this only sets how often an idle thread looks around.
constexpr int kIdleWaitMs = 100;

class Transport {
public:
    virtual ~Transport() = default;

    // Whether the channel can carry a request now: a lost or busy serial device is reopened
    // (rate-limited), the simulator channel's host claim taken. kOk or kNoPort.
    virtual int Ready() = 0;

    // The host's side, one byte at a time (HostPutChar/HostGetChar): the byte, or -1 when it
    // could not be put or nothing has arrived.
    virtual int HostPut(int byte) = 0;
    virtual int HostGet() = 0;
    // The drive's side (SrlPutChar/SrlGetChar). On a serial port both sides are the port itself.
    virtual int DrivePut(int byte) = 0;
    virtual int DriveGet() = 0;

    // Sends a frame (words[0] = N). False when the serial device failed (it is then closed as
    // lost).
    virtual bool SendFrame(const uint16_t* words) = 0;

    // The receive thread: reads what the channel has into buf (up to cap), waiting at most
    // kIdleWaitMs for something to arrive; a write to `wakeFd` or `stop` ends the wait early.
    // Returns the byte count (0 when nothing came).
    virtual std::size_t ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd,
                                    const std::atomic<bool>* stop) = 0;
};

}  // namespace tools700::link
