// The program's one way onto the drive line.
//
// The link's current axis is one value for the whole process, and the line carries one exchange
// at a time, so every exchange of the program (the windows' workers, the connection monitor, the
// scope's data thread, the command-line tool) goes through the calls of tools700::line, which
// take a turn on the line first. Turns are given in the order they were asked for: a thread that
// has just finished or failed an exchange queues behind those already waiting. A caller that
// needs several exchanges with nothing of the program in between (another axis borrowed for a
// moment) holds one LineTurn around them, or uses WithAxis.
//
// A thread that is told to stop (a window closed, the program ending) stops waiting for its turn:
// a call that gets no turn makes no exchange and gives PORT_MUTEX_NOT_AVAILABLE (5) at once, so a
// workflow that is cancelled ends at its next exchange. The user-interface thread must never
// wait for the line; calls made there anyway are counted (the tests look at the count).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace tools700 {

// Link status of a call that got no turn on the line (PORT_MUTEX_NOT_AVAILABLE).
inline constexpr int kNoTurn = 5;
// The longest wait for a turn: the link library's own limit for its port lock.
inline constexpr int kTurnWaitMs = 10000;

// A turn on the line, held from construction to destruction. The thread that holds a turn may
// take more turns (they nest). False when none was given: the wait timed out or this thread was
// told to stop.
class LineTurn {
public:
    LineTurn();
    ~LineTurn();
    LineTurn(const LineTurn &) = delete;
    LineTurn &operator=(const LineTurn &) = delete;
    explicit operator bool() const { return held_; }

private:
    bool held_ = false;
};

// For the life of this object, the calling thread stops waiting for the line (and gets no more
// turns) as soon as `stopped` returns true. `stopped` must only read atomics. A thread that
// flips what `stopped` reads calls WakeLineWaiters() afterwards.
class LineStopWhen {
public:
    explicit LineStopWhen(std::function<bool()> stopped);
    ~LineStopWhen();
    LineStopWhen(const LineStopWhen &) = delete;
    LineStopWhen &operator=(const LineStopWhen &) = delete;

private:
    std::function<bool()> previous_;
};

// True when the calling thread has been told to stop (its LineStopWhen condition holds).
bool LineStopRequested();
// Makes every thread waiting for its turn look at its stop condition now.
void WakeLineWaiters();
// Threads waiting for a turn now.
int LineWaiters();

// The user-interface thread: it must never wait for the line. Calls of tools700::line made on it
// are counted; the last one's name is kept for the message of a failing test.
void SetUiThread(std::thread::id id);
// Counts `what` when the calling thread is the user-interface thread (every call below does).
void NoteLineCall(const char *what);
long UiThreadLineCalls();
std::string LastUiThreadLineCall();

// The axis the program has selected (through line::SetAxis700; 255 at start, as in the link).
int SelectedAxis();

// Runs `exchanges` as one turn with the link's current axis set to `axis`, then selects the
// program's axis again; no other exchange of the program comes in between. Returns what
// `exchanges` returned, or the status of the turn or of selecting `axis` when that failed.
int WithAxis(int axis, const std::function<int()> &exchanges);

// The link library's calls that talk to a drive or change the port or the axis, each as one
// turn on the line (see the link library's header for their meaning).
namespace line {
int GetVar700(const char *name, double *value);
int GetVars700(const char *const *names, double *values, int *validMask);
int PutVar700(const char *name, double value);
int PutVars700(const char *const *names, const double *values, int *result);
int ExeCmd700(const char *name);
int ReadScopeData700(std::uint16_t operation, std::uint16_t reserved, std::uint16_t timebase,
                     std::uint16_t triggerSource, std::uint32_t triggerLevelBits, std::uint16_t ch1Signal,
                     std::uint16_t ch2Signal, double *ch1Samples, double *ch2Samples, std::uint16_t *count);
int ExecLoadSegment(std::uint16_t count, std::uint16_t control, std::uint16_t *replyStatus, std::uint16_t segment,
                    std::uint16_t *replyWord, const std::uint16_t *data);
int GetUPCRstatus(std::uint16_t *status);
int PutUPCRstatus(std::uint16_t value, std::uint16_t *status);
int SetAxis700(int axis);
int SetDriveAdrs700(int address);
// 1 when the port opened (0 also when no turn was given).
int UseSerialPort(int port);
int InitComPort700(int port);
} // namespace line

} // namespace tools700
