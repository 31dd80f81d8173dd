// Run under ThreadSanitizer with the program's own sanitizer settings, in one of two ways:
//   race-in-slot  a worker writes a value the event loop's timer slot reads, with nothing between
//                 them: the race must be reported, although Qt's event loop is below the read;
//   handed-over   the worker hands the value over through PostToObjectThread: not reported.
// (A bare queued call is ordered for the sanitizer only when the event loop happens to read its
// wake-up after the post, so it is not a case with one answer.)
#include "tools700/widgets/HandOver.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

int value = 0; // plain on purpose

void Report(const char *how, int seen)
{
    std::printf("%s %d\n", how, seen);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const char *mode = argc > 1 ? argv[1] : "";
    QObject receiver;
    std::atomic<bool> written{false};
    std::thread worker;

    if (std::strcmp(mode, "race-in-slot") == 0) {
        worker = std::thread([&] {
            value = 42;
            written.store(true, std::memory_order_relaxed); // orders nothing
        });
        QTimer::singleShot(0, &receiver, [&] {
            while (!written.load(std::memory_order_relaxed))
                std::this_thread::yield();
            Report("raced", value);
            app.quit();
        });
    } else if (std::strcmp(mode, "handed-over") == 0) {
        worker = std::thread([&] {
            value = 42;
            tools700::PostToObjectThread(&receiver, [&] {
                Report("handed over", value);
                app.quit();
            });
        });
    } else {
        std::fprintf(stderr, "usage: %s race-in-slot|handed-over\n", argv[0]);
        return 2;
    }
    const int result = app.exec();
    worker.join();
    return result;
}
