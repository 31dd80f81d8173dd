// One host process per line. A serial device is held exclusively by the process that opened it
// (the terminal's exclusive mode and an advisory flock on the device, see SerialPort); the
// simulator channel is held by the process that owns the flock of the namespace's claim file,
// which also carries the owner's process id. The kernel drops both when their owner ends, even
// by SIGKILL, so the next process that asks gets the line.
#pragma once

#include <string>
#include <sys/types.h>

namespace tools700::platform {

// The simulator channel's host claim of this process.
class SimChannelClaim {
public:
    SimChannelClaim() = default;
    ~SimChannelClaim() { Release(); }
    SimChannelClaim(const SimChannelClaim&) = delete;
    SimChannelClaim& operator=(const SimChannelClaim&) = delete;

    // Takes the claim without waiting; true when this process holds it now (also when it
    // already did). Not thread-safe: the owner serialises calls.
    bool Take();
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The process id of the host holding the simulator channel of this namespace, 0 when no other
// process holds it, -1 when another process holds it but its id cannot be read.
pid_t SimChannelHolder();

// The process that holds a flock on the file or device `path` (not this process), 0 when none.
pid_t FlockHolder(const std::string& path);

// Another process that has `device` open (followed through symbolic links), 0 when none is
// seen; only processes whose descriptors this user may list are looked at.
pid_t DeviceHolder(const std::string& device);

// What the user is told when port n (0 simulator channel, 1..4 COMn) is held by another
// program, naming its process id where known; empty when no other program holds it.
std::string LineInUseText(int port);

}  // namespace tools700::platform
