#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tools700 {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int wakeFds[2] = {-1, -1};

// Only what is safe in a signal handler: the signal's number into the pipe.
extern "C" void OnSignal(int signo)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    [[maybe_unused]] ssize_t n = write(wakeFds[1], &byte, 1);
    errno = saved;
}

void SetHandlers(void (*handler)(int))
{
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &sa, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals()
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (read(wakeFds[0], &byte, 1) == 1) {
            if (received_ == 0)
                received_ = byte;
        }
        if (received_ != 0)
            QCoreApplication::exit(128 + received_);
    });
    SetHandlers(OnSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier_)
        return;
    SetHandlers(SIG_DFL);
    notifier_.reset();
    close(wakeFds[0]);
    close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

void TerminationSignals::RaiseReceived()
{
    if (received_ == 0)
        return;
    SetHandlers(SIG_DFL);
    raise(received_);
}

} // namespace tools700
