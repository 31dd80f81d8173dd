// The editor windows' test fixture: the configuration wizard with its I/O wizard, save window and
// printout dialog, over a session whose inertia-ratio and port windows are stand-ins, and a message
// box answerer that follows a rule.
#pragma once

#include "DriveValues.h"
#include "ListingText.h"
#include "QtTestSupport.h"
#include "FixedFileDialog.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "TraceOrder.h"

#include "mdb700.h"
#include "tools700/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/FileDialog.h"
#include "tools700/config/TextCanvas.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/PrintCfgDialog.h"
#include "tools700/wizard/SaveForm.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <set>
#include <sstream>

namespace wizardwindowstest {

using namespace tools700;
using testsupport::FixedFileDialog;
using testutil::SimProcess;

// Answers every box by a rule on its text, and records them all.
class RuleMessages : public Messages {
public:
    using Rule = std::function<Answer(BoxKind, const std::string &)>;
    Answer Show(BoxKind kind, const std::string &text, unsigned) override
    {
        texts.push_back(text);
        kinds.push_back(kind);
        return rule ? rule(kind, text) : Answer::Ok;
    }
    bool Saw(const std::string &prefix) const
    {
        for (const std::string &t : texts)
            if (t.rfind(prefix, 0) == 0)
                return true;
        return false;
    }
    Rule rule;
    std::vector<std::string> texts;
    std::vector<BoxKind> kinds;
};

using qttest::WhenModal;

inline bool TabShown(TCfgNewDlg &w, EditorTab t)
{
    return w.PageControl1->isTabVisible(w.PageControl1->indexOf(w.tabs[static_cast<int>(t)]));
}

inline void Choose(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    box->setCurrentIndex(i);
}

class WizardWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        SetControlMessages(&messages);
        session.SaveCfgDlg = &fileDialog;
        session.Register(Window::InertiaRatio, [this] {
            ++inertiaAsked;
            session.InertiaRatio = 3.0;
        });
        session.Register(Window::PortAxis, [] {});
        print = std::make_unique<TPrintCfgDialog>();
        save = std::make_unique<TSaveForm>(session, messages, *print);
        wizard = std::make_unique<TCfgNewDlg>(session, messages, *save);
        io = std::make_unique<TIOWizardDlg>(messages, *wizard, wizard.get());
        wizard->SetIOWizard(io.get());
    }
    void TearDown() override
    {
        io.reset();
        wizard.reset();
        save.reset();
        print.reset();
        SetControlMessages(nullptr);
        UseSerialPort(0);
    }
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        return testutil::StartTraced(std::move(options), dir.File("trace.txt"));
    }
    // The first page filled in and "Next >>" pressed; the I/O wizard then shows.
    void FirstPage(const char *drive, const char *mode, int motorIndex = 0)
    {
        wizard->BeginNew();
        ASSERT_FALSE(wizard->OnSecondPage());
        Choose(wizard->cmbDrive, QString::fromLatin1(drive));
        wizard->cmbDriveChange();
        ASSERT_GT(wizard->cmbMotor->count(), motorIndex);
        wizard->cmbMotor->setCurrentIndex(motorIndex);
        wizard->cmbMotorChange();
        Choose(wizard->cmbOpMode, QString::fromLatin1(mode));
        wizard->cmbOpModeClick();
        wizard->OKBtnClick();
        ASSERT_TRUE(io->isVisible());
    }

    qttest::SettingsFile settings;
    testsupport::TempDir dir;
    Session session;
    RuleMessages messages;
    FixedFileDialog fileDialog;
    int inertiaAsked = 0;
    std::unique_ptr<TPrintCfgDialog> print;
    std::unique_ptr<TSaveForm> save;
    std::unique_ptr<TCfgNewDlg> wizard;
    std::unique_ptr<TIOWizardDlg> io;
};

} // namespace wizardwindowstest
