// The application object: catches an error that escapes a user action at the event loop,
// shows it in the error box and lets the program go on.
#pragma once

#include <QApplication>

#include <functional>

namespace tools700 {

class Application : public QApplication {
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Tool tips appear after this many milliseconds and stay this long.
    static constexpr int kToolTipDelayMs = 50;
    static constexpr int kToolTipShowMs = 5000;
};

// Runs one user action; an error it raises is shown in the error box ("700Tools", full-stop
// rule) and swallowed. Returns false when the action ended with an error.
bool RunAction(const std::function<void()> &action);

} // namespace tools700
