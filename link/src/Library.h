// The per-process state of the link library and the operations behind the exports: port and
// axis selection, the byte channel (serial port or simulator queues), the receive thread and
// the exchange of one request with its reply.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <sys/types.h>
#include <thread>

#include "MailboxSet.h"
#include "RCalSlot.h"
#include "tools700/platform/EnvSim.h"
#include "tools700/platform/FairLock.h"
#include "tools700/platform/LineClaim.h"
#include "tools700/platform/NamedLock.h"
#include "tools700/platform/SerialPort.h"
#include "tools700/wire/Messages.h"
#include "tools700/wire/Receiver.h"

namespace tools700::link {

constexpr int NPORTS = 4;
constexpr int kLockWaitMs = 10000;    // every named lock and the R-cal lock
// How long an idle receive thread sleeps in one wait. Arriving bytes, a stop request and a port
// change all wake it at once, so this only sets how often an idle thread looks around.
constexpr int kIdleWaitMs = 100;
constexpr int kRCalWaitMs = 1000;
// A lost or busy serial device is tried again at most this often; calls in between fail at
// once with NO_PORT.
constexpr int kReopenIntervalMs = 250;
constexpr const char* kLibraryLockName = "730CommMutexHandle";

// Link status codes (same numbers as comm700.h).
enum Status : int {
    kOk = 0,
    kNoSuchSymbol = 1,
    kTypeError = 2,
    kNoPort = 3,
    kNoResponse = 4,
    kPortMutexNotAvailable = 5,
    kCommError = 6,
    kInvalidAxis = 7,
};

class Library;

// The line statistics of GetLineStats700: the receive thread publishes its receiver's counts,
// the exchanges count what they send. Read from any thread.
class LineStatistics {
public:
    static constexpr int kCount = 8;  // LINE_STAT_COUNT
    void FrameSent(std::size_t bytes);
    void Received(const wire::ReceiveCounts& counts);
    void ReplyUnmatched();
    // Copies the first n (at most kCount) counters in the order of comm700.h.
    void Copy(uint64_t* out, int n) const;

private:
    enum Index { kBytesSent, kFramesSent, kBytesReceived, kFramesReceived, kFramesDamaged, kBytesDiscarded,
                 kRepliesUnmatched, kRCalValues };
    void Store(Index i, uint64_t v) { values_[i].store(v, std::memory_order_relaxed); }
    std::atomic<uint64_t> values_[kCount] {};
};

// The receive thread: the only reader of the channel. It sleeps until the channel becomes
// readable (poll() on the serial port, the queue's doorbell on the simulator channel) or it is
// told to stop (an eventfd beside the port, the doorbell on the simulator channel), so it
// neither spins nor adds a blind 6 ms to every reply, and sees its stop flag at once.
class ReceiveThread : private wire::ReceiverSink {
public:
    explicit ReceiveThread(Library& lib);
    ~ReceiveThread() override;

    // Starts the thread when it is not running (receive state back to HUNT).
    void Start();
    // Sets the stop flag, wakes the thread and waits until it has ended. Every wait of the
    // thread is bounded, so this returns; a thread is never left behind, so the next Start
    // always gets a reader.
    void Stop();
    bool Running() const { return running_.load(); }
    // Wakes the thread out of a wait on the serial port (it then looks at its flags).
    void Nudge();

private:
    void Run();
    void Publish();
    void OnFrame(const uint16_t* frame) override;
    void OnRCalValue(uint16_t value) override;

    Library& lib_;
    wire::Receiver receiver_ {*this};
    std::mutex controlMutex_;  // Start/Stop
    std::thread thread_;
    std::atomic<bool> stop_ {false};
    std::atomic<bool> running_ {false};
    int wakeFd_ = -1;          // eventfd: ends a serial poll at once when the thread must stop
};

class Library {
public:
    Library();
    // Lives until the process ends (never deleted): Detach() tears it down at unload, and a
    // stray late call still finds valid memory.

    void Detach();

    // ---- port and axis ----
    int UseSerialPort(int port);
    int InitComPort(int port);
    int SetAxis(int axis);
    // HostMode700: the receive thread, and the simulator channel's host claim when this
    // process is on that channel.
    void HostMode();
    int port() const { return port_.load(); }
    uint8_t axis() const { return axis_.load(); }
    bool serialMode() const { return serialMode_.load(); }

    // Takes the lock of the current port (10000 ms in all, abandoned locks recovered). Fails at
    // once when the port number is outside 0..4. `which` receives the lock to release. The
    // threads of this process get the port in the order they asked for it (portTurns_), so a
    // thread that has just finished or failed an exchange queues behind those already waiting.
    bool AcquirePortLock(int* which);
    void ReleasePortLock(int which);

    // ---- channel ----
    int HostPut(int byte);
    int HostGet();
    int SrlPut(int byte);
    int SrlGet();
    // Sends a frame (words[0] = N) on the current channel. False when the serial device
    // failed (it is then closed as lost).
    bool SendFrame(const uint16_t* words);
    // Receive thread: reads what the channel has into buf (up to cap), waiting at most
    // kIdleWaitMs for something to arrive (ends early on a nudge or stop). Returns the byte count (0 when nothing came).
    std::size_t ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd, const std::atomic<bool>* stop);

    // ---- exchanges ----
    int Exchange(wire::Message& request, wire::Message& reply);

    // The serial device reported a hang-up or an error that means it is gone: close it and
    // end every exchange in flight with COMM_ERROR. Later calls reopen the same path.
    void LoseDevice();

    // ---- simulator process ----
    int LaunchSimulator(const char* program);
    int ShootSimulator();

    MailboxSet& mailboxes() { return mailboxes_; }
    RCalSlot& rcal() { return rcal_; }
    LineStatistics& statistics() { return statistics_; }
    platform::EnvSim& envsim() { return envsim_; }
    ReceiveThread& receiver() { return receiver_; }
    platform::NamedLock& libraryLock() { return libraryLock_; }

private:
    // Whether the current channel can carry a request now: a lost or busy serial device is
    // reopened (rate-limited), the simulator channel's host claim taken. kOk or kNoPort.
    int ChannelReady();
    bool TryReopen();
    // The simulator channel is one line: only the process holding the claim reads and writes it.
    bool SimHost();
    void TakeOrReleaseSimClaim(bool take);

    std::atomic<int> port_ {-1};
    std::atomic<bool> serialMode_ {false};
    std::atomic<uint8_t> axis_ {255};

    platform::NamedLock libraryLock_;
    platform::NamedLock portLocks_[NPORTS + 1];
    // In front of each port lock: this process's threads in the order they asked.
    platform::FairLock portTurns_[NPORTS + 1];

    // The serial port; exclusive for open/close, shared for reading and writing.
    std::shared_mutex serialMutex_;
    platform::SerialPort serial_;
    std::atomic<bool> portChanging_ {false};  // the receive thread keeps off the port meanwhile
    std::string serialPath_;                  // the device opened (or to reopen), under serialMutex_
    std::atomic<bool> serialWanted_ {false};  // serial mode although the device is not open now
    std::chrono::steady_clock::time_point lastOpen_ {};  // under serialMutex_

    std::mutex simClaimMutex_;
    platform::SimChannelClaim simClaim_;
    std::atomic<bool> simHost_ {false};
    std::atomic<bool> simBarred_ {false};  // UseSerialPort chose no channel (a number outside 0..4)

    platform::EnvSim envsim_;
    MailboxSet mailboxes_;
    RCalSlot rcal_;
    LineStatistics statistics_;
    ReceiveThread receiver_ {*this};

    std::mutex simMutex_;
    pid_t simulatorPid_ = -1;
    bool simulatorEnded_ = false;
};

// The library of this process; nullptr before load and after unload.
Library* TheLibrary();

}  // namespace tools700::link
