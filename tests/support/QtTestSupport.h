// Helpers of the shell's widget tests: the application object on Qt's offscreen platform, a
// watcher that answers real message boxes, a settings file of its own, and the drive simulator
// as a child process on the link's simulator channel.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "DrivesimProcess.h"
#include "comm700.h"
#include "tools700/widgets/Application.h"

// Readable failure messages for Qt's strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}'; }
QT_END_NAMESPACE

namespace qttest {

// The one application object of a test program (offscreen unless the environment says otherwise).
inline QApplication &App()
{
    static int argc = 1;
    static char name[] = "shell_test";
    static char *argv[] = {name, nullptr};
    static tools700::Application *app = [] {
        // ctest gives every test program a namespace of its own (COMM700_NAMESPACE); the link
        // library takes it when it is loaded, so a program run by hand needs it set beforehand.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new tools700::Application(argc, argv);
    }();
    return *app;
}

// Runs the event loop until `done` holds or `timeoutMs` passes; true when it holds.
inline bool WaitFor(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs the event loop until `busy` has returned false in three turns of it in a row (a window's
// drive work and what it hands back have ended), or `timeoutMs` passes; true when it settled.
inline bool Settle(const std::function<bool()> &busy, int timeoutMs = 15000)
{
    QElapsedTimer t;
    t.start();
    for (int quiet = 0; quiet < 3;) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        quiet = busy() ? 0 : quiet + 1;
    }
    return true;
}

// Runs `step` once, as soon as a window of type T is the active modal window: inside the modal
// loop of the call that showed it, which returns when `step` closes the window.
template <class T> void WhenModal(std::function<void(T *)> step)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

// Answers the real message boxes that open while it exists: records each box's title, text and
// button captions, then clicks the button whose caption is next in `answers` (or the first one).
class BoxWatcher {
public:
    struct Box {
        QString title;
        QString text;
        QStringList buttons;
        QMessageBox::Icon icon;
    };

    explicit BoxWatcher(QStringList answers = {}) : answers_(std::move(answers))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    const std::vector<Box> &boxes() const { return boxes_; }

private:
    void Poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        // Boxes live on the stack, so a new one may reuse an old one's address: mark each.
        if (!box || !box->isVisible() || box->property("watched").toBool())
            return;
        box->setProperty("watched", true);
        Box b{box->windowTitle(), box->text(), {}, box->icon()};
        QAbstractButton *chosen = nullptr;
        const QString want = answers_.isEmpty() ? QString() : answers_.takeFirst();
        for (QAbstractButton *button : box->buttons()) {
            b.buttons << button->text();
            if (!chosen && (want.isEmpty() || button->text() == want))
                chosen = button;
        }
        boxes_.push_back(b);
        if (chosen)
            chosen->click();
    }

    QStringList answers_;
    QTimer timer_;
    std::vector<Box> boxes_;
};

// The drive simulator on the simulator channel of this test program's namespace.
class DriveSim {
public:
    // Waits for the simulator's ready line on its standard output ("simulator channel", or the
    // path of its terminal with "--pty", which ptyPath() then gives).
    explicit DriveSim(const std::vector<std::string> &args) : process_(args)
    {
        if (std::find(args.begin(), args.end(), "--pty") != args.end())
            pty_ = process_.ReadyLine();
    }
    const std::string &ptyPath() const { return pty_; }
    pid_t Pid() const { return process_.Pid(); }

    // Waits until the drive answers a read of AxisAddr (the simulator has attached).
    bool Ready(int timeoutMs = 10000)
    {
        QElapsedTimer t;
        t.start();
        double v = 0;
        while (GetVar700("AxisAddr", &v) != 0) {
            if (t.elapsed() > timeoutMs)
                return false;
        }
        return true;
    }

    void Stop() { process_.Stop(); }

private:
    testsupport::DrivesimProcess process_;
    std::string pty_;
};

// A settings file of its own for the test program.
class SettingsFile {
public:
    SettingsFile()
    {
        path_ = dir_.filePath(QStringLiteral("700Tools.ini"));
        setenv("TOOLS700_SETTINGS", path_.toLocal8Bit().constData(), 1);
    }
    const QString &path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace qttest
