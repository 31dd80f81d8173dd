// SIGTERM, SIGINT and SIGHUP end the event loop instead of the process, so what the program
// started (the simulated drive) is ended and cleaned up before it goes; then the signal is raised
// again, so whoever sent it sees the program end by it.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tools700 {

class TerminationSignals : public QObject {
public:
    // Catches the signals from now on; one such object at a time.
    TerminationSignals();
    ~TerminationSignals() override;

    // The signal that ended the event loop (with exit code 128 + signal), or 0.
    int Received() const { return received_; }
    // Puts the default handlers back and raises the received signal, if there was one.
    void RaiseReceived();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
    int received_ = 0;
};

} // namespace tools700
