// The scope window's test fixtures: a window over a scripted link (or the link library), with its
// own settings file and data folder; and the same against the drive simulator.
#pragma once

#include "QtTestSupport.h"

#include "ListingText.h"
#include "ScriptedScopeLink.h"
#include "tools700/Line.h"
#include "SimProcess.h"

#include "tools700/ScriptedMessages.h"
#include "tools700/Session.h"
#include "tools700/Sweep.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/scope/ScopeGraph.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/Settings.h"

#include "../config/TempDir.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <fstream>
#include <sstream>

#include <QElapsedTimer>
#include <thread>
#include <atomic>
#include <gtest/gtest.h>

namespace scopeformtest {

using namespace tools700;
using testutil::ScopeReply;

class ScopeFormTest : public ::testing::Test {
protected:
    ScopeFormTest() { qttest::App(); session.ProgramDir = dir.Path().string() + "/"; }

    // A window over the scripted link (or the link library's call when `linked`).
    std::unique_ptr<TScopeForm> Make(bool linked = false)
    {
        auto form = linked ? std::make_unique<TScopeForm>(session, messages)
                           : std::make_unique<TScopeForm>(session, messages, nullptr, link.Reader());
        form->show();
        form->FormActivate();
        return form;
    }
    // Waits until the chart has been drawn `n` more times.
    static bool WaitFrames(TScopeForm &form, int n)
    {
        const int before = form.graph->Repaints();
        return qttest::WaitFor([&] { return form.graph->Repaints() >= before + n; });
    }
    // Types a text into an edit and leaves it with Enter.
    static void Enter(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> out;
        for (const auto &s : messages.shown())
            out.push_back(s.text);
        return out;
    }

    qttest::SettingsFile settings;
    testsupport::TempDir dir;
    Session session;
    ScriptedMessages messages;
    testutil::ScriptedScopeLink link{ScopeReply{0, 100, 2}};
};

// The window on the real link against the drive simulator.
class ScopeFormSimTest : public ScopeFormTest {
protected:
    std::unique_ptr<testutil::SimProcess> sim = testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));
};

} // namespace scopeformtest
