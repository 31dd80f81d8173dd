// The per-process state of the link library and the operations behind the exports: port and
// axis selection, the transport chosen with the port (serial port or simulator channel), the
// receive thread and the exchange of one request with its reply.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "LineStatistics.h"
#include "MailboxSet.h"
#include "RCalSlot.h"
#include "SerialTransport.h"
#include "SimChannelTransport.h"
#include "SimulatorProcess.h"
#include "Status.h"
#include "Transport.h"
#include "tools700/platform/EnvSim.h"
#include "tools700/platform/FairLock.h"
#include "tools700/platform/NamedLock.h"
#include "tools700/platform/SerialPort.h"
#include "tools700/wire/Messages.h"
#include "tools700/wire/Receiver.h"

namespace tools700::link {

// Port 0 is the simulator channel, 1..4 the serial ports COM1..COM4.
constexpr int NPORTS = platform::kComPortCount;
constexpr int kLockWaitMs = 10000;    // every named lock and the R-cal lock
constexpr int kRCalWaitMs = 1000;
constexpr const char* kLibraryLockName = "730CommMutexHandle";

class Library;

// The receive thread: the only reader of the transport. It sleeps until the channel becomes
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
    // The transport chosen by the last UseSerialPort700 (the simulator channel before any).
    Transport& transport() { return *transport_.load(); }

    // Takes the lock of the current port (10000 ms in all, abandoned locks recovered). Fails at
    // once when the port number is outside 0..4. `which` receives the lock to release. The
    // threads of this process get the port in the order they asked for it (portTurns_), so a
    // thread that has just finished or failed an exchange queues behind those already waiting.
    bool AcquirePortLock(int* which);
    void ReleasePortLock(int which);

    // ---- exchanges ----
    int Exchange(wire::Message& request, wire::Message& reply);

    SimulatorProcess& simulator() { return simulator_; }
    MailboxSet& mailboxes() { return mailboxes_; }
    RCalSlot& rcal() { return rcal_; }
    LineStatistics& statistics() { return statistics_; }
    platform::EnvSim& envsim() { return envsim_; }

private:
    std::atomic<int> port_ {-1};
    std::atomic<uint8_t> axis_ {255};

    platform::NamedLock libraryLock_;
    platform::NamedLock portLocks_[NPORTS + 1];
    // In front of each port lock: this process's threads in the order they asked.
    platform::FairLock portTurns_[NPORTS + 1];

    platform::EnvSim envsim_;
    MailboxSet mailboxes_;
    RCalSlot rcal_;
    SimulatorProcess simulator_;
    LineStatistics statistics_;

    // Both transports live as long as the library; UseSerialPort700 points transport_ at one.
    SerialTransport serial_ {statistics_, [this] { receiver_.Nudge(); },
                             [this] { mailboxes_.FailAll(kMailboxLineLost); }};
    SimChannelTransport sim_ {envsim_, statistics_};
    std::atomic<Transport*> transport_ {&sim_};

    // Declared last: its thread reads the transports, so it is stopped before they go.
    ReceiveThread receiver_ {*this};
};

// The library of this process; nullptr before load and after unload.
Library* TheLibrary();

}  // namespace tools700::link
