// The main window's test fixture: a main window over the simulator channel, every window but the
// port dialog registered, the editor recording what it was asked to open.
#pragma once

#include "QtTestSupport.h"
#include "FixedFileDialog.h"

#include "tools700/Error.h"
#include "tools700/ScriptedMessages.h"
#include "tools700/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/FileDialog.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/shell/ConnectionStatus.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/RockerSwitch.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <gtest/gtest.h>

namespace mainformtest {

using namespace tools700;

inline const char kCommWarning[] =
    "     Can't communicate with the drive!  \n     \n     Please check the menu to see that the correct \n"
    "     serial port and drive address are selected,\n     and verify that the drive is connected to the\n"
    "     serial port.\n";

inline double Read(const char *name)
{
    double v = -1;
    EXPECT_EQ(GetVar700(name, &v), 0) << name;
    return v;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        UseSerialPort(0);  // the simulator channel
        SetAxis700(255);
        form = std::make_unique<TMainForm>(session, messages, dir.filePath(QStringLiteral("Tools700")), QStringList{});
        form->SetExitFunction([this](int code) { exitCode = code; });
        // Every window is built (the test of a missing one has its own session).
        for (std::size_t w = 0; w < static_cast<std::size_t>(Window::Count); ++w)
            if (static_cast<Window>(w) != Window::PortAxis)
                session.Register(static_cast<Window>(w), [] {});
        session.RegisterEditor([this](int entryMode, Cfg &cfg, const std::string &name) {
            edited.push_back(name);
            editedModel.push_back(cfg.Get("Model"));
            edited740.push_back(cfg.Indexes740());
            entryModes.push_back(entryMode);
        });
    }
    void TearDown() override { form.reset(); }

    std::string Panel(int i) const { return form->PanelText(i).toStdString(); }
    // A status update as the monitor makes it: the reads, then the update (no exchange there).
    void Status(const std::string &text) { form->UpdateStatus(text, ReadStatus(text != "No connection")); }
    void Report(const std::string &text) { form->MonitorReport(text, ReadStatus(text != "No connection")); }
    // The window's drive work, and what it hands back, have ended.
    void Settle() { ASSERT_TRUE(qttest::Settle([this] { return form->DriveBusy(); })); }
    std::string WriteFile(const char *name, const char *text)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path.toStdString();
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    Session session;
    std::unique_ptr<TMainForm> form;
    int exitCode = -1;
    std::vector<std::string> edited;
    std::vector<double> editedModel;
    std::vector<bool> edited740;
    std::vector<int> entryModes;
};

// The writes the simulator received, in order, from its trace file ("<axis> PUT_<kind> <name> <value> <result>";
// the form talks to the automatic axis 255).
inline std::vector<std::string> PutsIn(const QString &traceFile)
{
    std::vector<std::string> puts;
    QFile f(traceFile);
    if (!f.open(QIODevice::ReadOnly))
        return puts;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.contains(" PUT_"))
            puts.push_back(line.toStdString());
    return puts;
}

} // namespace mainformtest
