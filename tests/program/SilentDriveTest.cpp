// Every window of the program against a drive that does not answer: while a window's exchange
// waits out its time-out, an event posted meanwhile is handled long before the time-out ends;
// closing the window then returns at once; and no window calls the link on its own thread.
#include "QtTestSupport.h"
#include "FixedFileDialog.h"
#include "SimProcess.h"
#include "Startup.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/compare/CompareForm.h"
#include "tools700/config/Cfg.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/firmware/FWUpgradeForm.h"
#include "tools700/online/VarDlg.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/wizard/SaveForm.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace tools700;

namespace {

// A silent exchange takes the link's 500 ms (a scope read 2000 ms); what the window's thread does
// meanwhile is a matter of milliseconds, with room for a busy machine.
constexpr qint64 kServedWithinMs = 300;

class SilentDriveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
        program.session.SuspendStatusPolling();
        sim = std::make_unique<testutil::SimProcess>(std::vector<std::string>{"--model", "743", "--silent"},
                                                     dir.filePath(QStringLiteral("trace.txt")).toStdString());
        ASSERT_TRUE(sim->Started());
        UseSerialPort(0);
        SetAxis700(255);
        uiCalls = UiThreadLineCalls();
    }
    void TearDown() override { EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall(); }

    // Starts a window's drive work; once the drive has its request, posts an event and measures
    // how soon the window's thread handles it; then closes the window and measures that. Work
    // whose window closed reports nothing afterwards (`dropped`), unless it answers a request
    // that outlives the window (the port dialog's Test).
    void Check(const char *window, const std::function<void()> &start, const std::function<void()> &close,
               bool dropped = true)
    {
        const std::size_t before = sim->Trace().size();
        start();
        // The request is on the line (the simulator traced it) and its reply will never come.
        ASSERT_TRUE(qttest::WaitFor([&] { return sim->Trace().size() > before; }, 5000)) << window;
        QElapsedTimer posted;
        posted.start();
        qint64 handledAfter = -1;
        QTimer::singleShot(0, [&] { handledAfter = posted.elapsed(); });
        ASSERT_TRUE(qttest::WaitFor([&] { return handledAfter >= 0; })) << window;
        EXPECT_LT(handledAfter, kServedWithinMs) << window << ": an event waited for the drive";
        QElapsedTimer closing;
        closing.start();
        close();
        EXPECT_LT(closing.elapsed(), kServedWithinMs) << window << ": closing waited for the drive";
        // Nothing of the dropped work shows afterwards.
        const std::size_t boxes = messages.texts().size();
        qttest::WaitFor([] { return false; }, 700);
        if (dropped) {
            EXPECT_EQ(messages.texts().size(), boxes) << window << ": " << messages.texts().back();
        }
    }

    qttest::SettingsFile settings;
    QTemporaryDir dir;
    ScriptedMessages messages{{}, Answer::No};
    Program program;
    std::unique_ptr<testutil::SimProcess> sim;
    long uiCalls = 0;
};

} // namespace

TEST_F(SilentDriveTest, EveryWindowServesItsEventsAndClosesWhileItsExchangeWaits)
{
    TMainForm &main = *program.mainForm;
    Check("main window", [&] { main.EditOnline(); }, [&] { main.FormClose(); });

    auto *online = program.Find<Tvardlg>();
    Check("on-line window", [&] { online->show(); }, [&] { online->hide(); });

    auto *scope = program.Find<TScopeForm>();
    Check("scope", [&] { scope->show(); }, [&] { scope->close(); });

    auto *diagnostics = program.Find<TTroubleshooting>();
    Check("diagnostics", [&] {
        diagnostics->show();
        diagnostics->btnStart->click();
    }, [&] { diagnostics->btnCancel->click(); });

    auto *ratio = program.Find<TInertiaRDlg>();
    auto *tuning = program.Find<TTuning>();
    // The on-line start reads the drive before the wizard shows: its failure is reported.
    Check("tuning wizard", [&] {
        ratio->SetPurpose(TInertiaRDlg::kOnlineTuning);
        ratio->btnOKClick();
    }, [&] { tuning->hide(); }, false);
    ASSERT_TRUE(qttest::Settle([&] { return tuning->DriveBusy(); }));
    EXPECT_EQ(messages.texts().back(), "NO RESPONSE");
    EXPECT_FALSE(tuning->isVisible());

    Cfg cfg;
    auto *save = program.Find<TSaveForm>();
    Check("save window", [&] {
        save->Begin(cfg, "silent.cfg", false);
        save->btnDownload->click();
    }, [&] { save->btnBack->click(); });
    EXPECT_FALSE(save->isVisible());
    EXPECT_FALSE(save->Downloading());

    auto *compare = program.Find<TCompareForm>();
    ASSERT_NE(compare, nullptr);
    Check("compare window", [&] { compare->BeginConfiguration(cfg, "silent.cfg"); }, [&] { compare->btnClose->click(); });
    EXPECT_FALSE(compare->isVisible());

    const std::string image = dir.filePath(QStringLiteral("fw.bin")).toStdString();
    std::ofstream(image, std::ios::binary) << std::string(300, 'x');
    testsupport::FixedFileDialog chosen(image);
    auto *firmware = program.Find<TFWUpgrade>();
    firmware->SetOpenDialog(&chosen);
    firmware->open();
    firmware->btnOpenFile->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return firmware->btnDownload->isEnabled(); }));
    messages.Queue(Answer::Yes);
    Check("firmware window", [&] { firmware->btnDownload->click(); }, [&] { firmware->btnCancel->click(); });
    EXPECT_FALSE(firmware->Procedure().Running());
    firmware->SetOpenDialog(nullptr);

    auto *port = program.comportDlg;
    Check("port dialog", [&] {
        port->show();
        port->btnTest()->click();
    }, [&] { port->reject(); }, false);
}

TEST_F(SilentDriveTest, EndingTheProgramWaitsForOneTimeOutAtMost)
{
    // Every window at work on the silent drive at once: their exchanges queue for the line.
    program.Find<Tvardlg>()->show();
    program.Find<TScopeForm>()->show();
    auto *diagnostics = program.Find<TTroubleshooting>();
    diagnostics->show();
    diagnostics->btnStart->click();
    program.mainForm->Upload();
    ASSERT_TRUE(qttest::WaitFor([&] { return LineWaiters() >= 2; }, 5000));
    QElapsedTimer ending;
    ending.start();
    while (!program.windows.empty()) // every window goes, last first, as at the program's end
        program.windows.pop_back();
    program.mainForm = nullptr;
    program.comportDlg = nullptr;
    program.about = nullptr;
    // The exchange in flight may be a scope read (2000 ms); nothing queued behind it waits.
    EXPECT_LT(ending.elapsed(), 2000 + 500);
}
