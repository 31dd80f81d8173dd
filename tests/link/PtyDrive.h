// A drive on the master side of a pseudo-terminal, answered from a thread; the library opens
// the slave side as COM1 (COMM700_COM1 points at it).
#pragma once

#include <atomic>
#include <cerrno>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "TestDrive.h"

namespace linktest {

class PtyDrive {
public:
    PtyDrive()
        : drive([this](const std::vector<uint8_t>& b) { Write(b); })
    {
        char name[256];
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        path = name;
        termios t {};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
        thread_ = std::thread([this] { Loop(); });
    }
    ~PtyDrive() { Stop(); }

    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        CloseMaster();
        if (slave_ >= 0)
            close(slave_);
        slave_ = -1;
    }
    // The drive's end goes away (a cable pulled, a peer killed).
    void HangUp() { Stop(); }
    void Write(const std::vector<uint8_t>& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size() && master_ >= 0) {
            ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
        }
    }
    bool ok() const { return master_ >= 0; }

    std::string path;
    TestDrive drive;
    std::atomic<long> bytesIn {0};

private:
    void CloseMaster()
    {
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }
    void Loop()
    {
        uint8_t buf[512];
        while (!stop_) {
            pollfd p {master_, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN)) {
                drive.Tick();
                continue;
            }
            ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0) {
                bytesIn += n;
                drive.Feed(buf, static_cast<std::size_t>(n));
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_ {false};
    std::thread thread_;
};

}  // namespace linktest
