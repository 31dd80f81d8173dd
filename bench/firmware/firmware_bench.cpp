// firmware_bench: a whole firmware upgrade through the upgrade window (offscreen) against the drive
// simulator pacing its replies at 19200 bit/s: the total time next to the line time of the same
// exchanges, and the window's longest stall (the longest time its event loop did not turn).
//
//   firmware_bench [file bytes]      (default 262140: the largest image, 262144 words)
//
// Line time: each exchange's request and reply frames at 10 bits a byte, each frame SOH +
// 2 x (N + 1) bytes of count and words + 2 CRC bytes (UPCR request and reply 8 words, load-segment
// request 69 and reply 8). The simulator paces only its replies; the host's requests on the
// simulator channel travel at memory speed, so the replies' share, the part of the line time the
// run really waits for, is given too.
#include "FixedFileDialog.h"
#include "comm700.h"
#include "support/PacedSim.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/firmware/FWUpgradeForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace tools700;

namespace {

constexpr double kByteMs = 10.0 / 19200.0 * 1000.0;
int FrameBytes(int n) { return 1 + 2 * (n + 1) + 2; }
const int kUpcrBytes = FrameBytes(8);
const int kSegmentRequestBytes = FrameBytes(69);
const int kSegmentReplyBytes = FrameBytes(8);

} // namespace

int main(int argc, char **argv)
{
    const long bytes = argc > 1 ? std::clamp(std::atol(argv[1]), 1L, 262140L) : 262140L;
    if (!bench::OwnNamespace("firmware_bench", argv))
        return 1;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    char imageTemplate[] = "/tmp/bench-fw-XXXXXX";
    const int fd = mkstemp(imageTemplate);
    if (fd < 0)
        return 1;
    close(fd);
    const std::string image = imageTemplate;
    const std::string written = image + ".written";
    {
        std::ofstream out(image, std::ios::binary);
        for (long i = 0; i < bytes; ++i)
            out.put(static_cast<char>((i * 31 + i / 509) & 0xFF));
    }

    int rc = 1;
    {
        const bench::PacedSim sim("firmware_bench", {"--model", "743", "--axes", "1", "--pace", "--fwfile", written});
        if (!sim.Up())
            return 1;
        SetAxis700(1);
        std::ofstream(sim.Trace(), std::ios::trunc).close();

        Session session;
        ScriptedMessages messages({Answer::Yes, Answer::Ok});
        testsupport::FixedFileDialog dialog(image);
        TFWUpgrade w(session, messages);
        w.SetOpenDialog(&dialog);
        w.open();
        w.btnOpenFile->click();
        // The image is read on the window's worker.
        QElapsedTimer loading;
        loading.start();
        while (!w.btnDownload->isEnabled() && loading.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

        // The event loop's longest pause: a probe timer that wants to run every millisecond.
        QElapsedTimer sinceProbe;
        double longestStall = 0;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longestStall = std::max(longestStall, static_cast<double>(sinceProbe.nsecsElapsed()) / 1e6);
            sinceProbe.restart();
        });
        QElapsedTimer total;
        QObject::connect(&w, &QDialog::finished, &app, [&](int) { app.quit(); });
        QTimer::singleShot(0, &w, [&] {
            total.start();
            sinceProbe.start();
            probe.start();
            w.btnDownload->click();
        });
        app.exec();
        const double totalMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
        probe.stop();

        long upcr = 0, segments = 0;
        {
            std::ifstream in(sim.Trace());
            std::string axis, command, name, value, result;
            while (in >> axis >> command >> name >> value >> result) {
                upcr += command == "UPCR";
                segments += command == "LOAD_SEGMENT";
            }
        }
        const double lineMs = kByteMs * (static_cast<double>(upcr) * 2 * kUpcrBytes +
                                         static_cast<double>(segments) * (kSegmentRequestBytes + kSegmentReplyBytes));
        const double replyMs =
            kByteMs * (static_cast<double>(upcr) * kUpcrBytes + static_cast<double>(segments) * kSegmentReplyBytes);
        const bool finished = w.result() == TFWUpgrade::kResultYes;
        std::printf("firmware_bench: %ld-byte file (%ld image words) through the upgrade window, drivesim --pace\n",
                    bytes, bytes + 4);
        std::printf("result: %s; %ld segments, %ld UPCR exchanges\n",
                    finished ? "programmed" : w.Procedure().Failure().c_str(), segments, upcr);
        std::printf("total time %.1f s\n", totalMs / 1000.0);
        std::printf("line time of these exchanges at 19200 bit/s %.1f s (total / line time %.2f)\n",
                    lineMs / 1000.0, totalMs / lineMs);
        std::printf("of it the paced replies %.1f s (total / paced replies %.2f)\n", replyMs / 1000.0,
                    totalMs / replyMs);
        std::printf("window's longest stall %.1f ms\n", longestStall);
        rc = finished ? 0 : 1;
    }
    std::ifstream a(image, std::ios::binary), b(written, std::ios::binary);
    const std::string sent((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
    const std::string got((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
    std::printf("the drive's image %s the file\n", sent == got ? "equals" : "DIFFERS FROM");
    std::remove(image.c_str());
    std::remove(written.c_str());
    return sent == got ? rc : 1;
}
