// The upgrade window on Qt's offscreen platform against the drive simulator: opening a file,
// the two questions, a whole upgrade, a drive that is not ready, Cancel while segments are
// programmed, and the controls every way of closing leaves.
#include "QtTestSupport.h"

#include "FirmwareSim.h"
#include "FixedFileDialog.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/firmware/FWUpgradeForm.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

class FWUpgradeFormTest : public firmwaretest::FirmwareSimTest {
protected:
    void SetUp() override
    {
        qttest::App();
        session.SetStatusPolling([this](bool on) { polling.push_back(on); });
    }

    // Opens the window (without a modal loop of its own) and chooses the file.
    void OpenWith(TFWUpgrade &w, const std::string &file)
    {
        w.open();
        dialog.file = file;
        w.SetOpenDialog(&dialog);
        w.btnOpenFile->click();
        // The file is read on the window's worker.
        ASSERT_TRUE(qttest::Settle([&] { return w.DriveBusy(); }));
    }

    Session session;
    std::vector<bool> polling;
    testsupport::FixedFileDialog dialog;
};

TEST_F(FWUpgradeFormTest, OpenFileShowsTheChecksumOrTheError)
{
    ScriptedMessages messages;
    TFWUpgrade w(session, messages);
    EXPECT_EQ(w.windowTitle(), "ARM FW Upgrade");
    EXPECT_EQ(w.lblMsg1->text(), "Please open a file.");
    EXPECT_FALSE(w.btnDownload->isEnabled());
    EXPECT_TRUE(w.chkEraseNV->isHidden());
    EXPECT_TRUE(w.Panel1->isHidden());
    EXPECT_EQ(w.chkEraseNV->text(), "Erase Non-volatile Memory");
    EXPECT_TRUE(AccessibilityProblems(&w).isEmpty()) << AccessibilityProblems(&w).join(", ").toStdString();
    // F1 opens the window's own page.
    HelpIndex help;
    help.Load(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    ASSERT_NE(help.ByContext(w.property("helpContext").toInt()), nullptr);
    EXPECT_EQ(help.ByContext(w.property("helpContext").toInt())->file, "firmware.html");

    // A cancelled dialog.
    OpenWith(w, "");
    ASSERT_EQ(messages.texts(), std::vector<std::string>{"Have not selected a File, Try again."});
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Information);

    const std::string file = WriteImage("three.bin", {1, 2, 3});
    OpenWith(w, file);
    EXPECT_EQ(w.lblMsg->text(), "Openning File is");
    EXPECT_EQ(w.lblMsg1->text().toStdString(), file);
    EXPECT_EQ(w.lblMsg2->text(), "with ChkSum");
    EXPECT_EQ(w.lblMsg3->text(), "6");
    EXPECT_TRUE(w.btnDownload->isEnabled());
    EXPECT_FALSE(w.chkEraseNV->isHidden());

    // A failed load shows its error and leaves the window as it was, with the image it names.
    const std::string big = WriteImage("big.bin", firmwaretest::Pattern(262141));
    OpenWith(w, big);
    EXPECT_EQ(messages.texts().back(), "The file is too large " + big + ".");
    EXPECT_EQ(w.lblMsg1->text().toStdString(), file);
    EXPECT_EQ(w.lblMsg3->text(), "6");
    EXPECT_TRUE(w.btnDownload->isEnabled());

    // Closing resets the window and forgets the image.
    w.btnCancel->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_EQ(w.lblMsg1->text(), "Please open a file.");
    EXPECT_TRUE(w.lblMsg->text().isEmpty());
    EXPECT_TRUE(w.lblMsg3->text().isEmpty());
    EXPECT_FALSE(w.btnDownload->isEnabled());
    EXPECT_TRUE(w.chkEraseNV->isHidden());
}

TEST_F(FWUpgradeFormTest, DownloadProgramsTheImageAndClosesWithYes)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    ScriptedMessages messages({Answer::Yes, Answer::Ok});
    TFWUpgrade w(session, messages);
    const auto bytes = firmwaretest::Pattern(3000);
    OpenWith(w, WriteImage("fw.bin", bytes));

    bool panelSeen = false, programmingSeen = false;
    int highest = 0;
    QObject::connect(&w, &TFWUpgrade::stepShown, [&] {
        panelSeen = panelSeen || w.Panel1->isVisible();
        programmingSeen = programmingSeen || w.lblMsg2->text() == "The remainder is";
        highest = std::max(highest, w.pgbFWLoad->value());
        EXPECT_FALSE(w.btnDownload->isEnabled());
        EXPECT_FALSE(w.btnOpenFile->isEnabled());
    });
    w.btnDownload->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return !w.isVisible(); }, 60000));
    EXPECT_EQ(w.result(), TFWUpgrade::kResultYes);
    const auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, kSwitchesQuestion);
    EXPECT_EQ(shown[0].kind, BoxKind::Warning);
    EXPECT_EQ(shown[0].buttons, unsigned(BtnYes | BtnNo));
    EXPECT_EQ(shown[1].text, kKeepPowerOn);
    EXPECT_TRUE(panelSeen);
    EXPECT_TRUE(programmingSeen);
    EXPECT_EQ(highest, 3004);
    EXPECT_EQ(polling, (std::vector<bool>{false, true})) << "the status polling pauses for the upgrade";
    // Closed: the window is back to its first state.
    EXPECT_EQ(w.lblMsg1->text(), "Please open a file.");
    EXPECT_TRUE(w.Panel1->isHidden());
    EXPECT_EQ(w.pgbFWLoad->maximum(), 100);
    sim->Stop();
    EXPECT_EQ(firmwaretest::ReadBytes(FwFile()), bytes);
}

TEST_F(FWUpgradeFormTest, NoToTheQuestionClosesWithoutAWrite)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    sim->ClearTrace();
    ScriptedMessages messages({Answer::No});
    TFWUpgrade w(session, messages);
    OpenWith(w, WriteImage("fw.bin", {1, 2, 3}));
    w.btnDownload->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(messages.texts().size(), 1u);
    EXPECT_TRUE(sim->Trace().empty());
}

TEST_F(FWUpgradeFormTest, AnEmptyFileIsRefusedAndNothingIsSent)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    sim->ClearTrace();
    ScriptedMessages messages({Answer::Yes, Answer::Ok});
    TFWUpgrade w(session, messages);
    const std::string empty = WriteImage("empty.bin", {});
    OpenWith(w, empty);
    ASSERT_EQ(messages.texts(), std::vector<std::string>{"The file is empty " + empty + "."});
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Error);
    EXPECT_EQ(w.lblMsg1->text(), "Please open a file.");
    EXPECT_FALSE(w.btnDownload->isEnabled());
    w.btnDownload->click();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(messages.texts().size(), 1u) << "no question: there is nothing to download";
    EXPECT_TRUE(sim->Trace().empty());
    EXPECT_TRUE(polling.empty());
    w.reject();
}

TEST_F(FWUpgradeFormTest, FailuresEnableDownloadAgain)
{
    auto sim = testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));
    ASSERT_EQ(SetAxis700(1), 0);
    ScriptedMessages messages({Answer::Yes, Answer::Ok});
    TFWUpgrade w(session, messages);
    OpenWith(w, WriteImage("fw.bin", {1, 2, 3}));
    w.btnDownload->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return messages.shown().size() == 3; }));
    EXPECT_EQ(messages.shown()[2].text, "The OC is not ready to Upgrade FW");
    EXPECT_EQ(messages.shown()[2].kind, BoxKind::Information);
    EXPECT_TRUE(w.btnDownload->isEnabled());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(polling, (std::vector<bool>{false, true}));

    // The drive goes silent: the next Download ends with "Communication Error".
    sim->Stop();
    messages.Queue(Answer::Yes);
    messages.Queue(Answer::Ok);
    w.btnDownload->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return messages.shown().size() == 6; }));
    EXPECT_EQ(messages.shown()[5].text, "Communication Error");
    EXPECT_TRUE(w.btnDownload->isEnabled());
    w.reject();
}

TEST_F(FWUpgradeFormTest, CancelWhileProgrammingStopsTheSegments)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    ScriptedMessages messages({Answer::Yes, Answer::Ok});
    TFWUpgrade w(session, messages);
    OpenWith(w, WriteImage("fw.bin", firmwaretest::Pattern(20000)));
    w.btnDownload->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return w.Procedure().Segments() >= 3; }, 30000));
    // Cancel is a click between two exchanges: the window answered it while programming.
    w.btnCancel->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    const std::size_t segments = Lines(*sim, "LOAD_SEGMENT").size();
    EXPECT_LT(segments, 300u);
    // Nothing more is sent, and nothing is left to send.
    EXPECT_FALSE(w.Timer1->isActive() || w.Timer2->isActive());
    EXPECT_FALSE(w.Procedure().Running());
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(Lines(*sim, "LOAD_SEGMENT").size(), segments);
    EXPECT_FALSE(w.btnDownload->isEnabled());
    EXPECT_TRUE(w.btnOpenFile->isEnabled());
    EXPECT_EQ(w.lblMsg1->text(), "Please open a file.");
    EXPECT_EQ(polling, (std::vector<bool>{false, true}));
    sim->Stop();
    EXPECT_TRUE(firmwaretest::ReadBytes(FwFile()).empty()) << "the drive accepted no image";
}

} // namespace
