// The tuning wizard's windows on Qt's offscreen platform: the off-line start with its drive and
// motor lists, the wizard as a calculator, and on line against the drive simulator from the
// inertia ratio dialog to Apply's writes in the drive's trace and the NV save at Close.
#include "OnlineSim.h"
#include "QtTestSupport.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/SlTuningBox.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/QtMessages.h"
#include "tools700/widgets/Slider.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tools700;
using namespace tools700::tuning;

namespace {

std::string TunableMotor(int busClass = 320)
{
    for (const std::string &m : MotorNames(false, busClass))
        if (mdb_Ke(m.c_str()) > 0 && mdb_Inertia(m.c_str()) > 0 && mdb_Inductance(m.c_str()) > 0)
            return m;
    return "";
}

// Picks an entry of a drop-down as the user does.
void Pick(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    box->setCurrentIndex(i);
    emit box->activated(i);
}

// Types into an edit as the user does: the old text selected and replaced key by key.
void Type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

class TuningWindowTest : public testutil::OnlineSimTest {
protected:
    void SetUp() override
    {
        qttest::App();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

} // namespace

// Choosing the drive through the accessibility interface runs the same handler as a click: the
// motor list is filled for the drive's bus.
TEST_F(TuningWindowTest, ADriveChosenThroughTheAccessibilityInterfaceFillsTheMotorList)
{
    Session session;
    ScriptedMessages messages;
    TTuning tuning(session, messages);
    TslTuningBox box(session, messages, tuning);
    box.show();
    QAccessibleInterface *drive = QAccessible::queryAccessibleInterface(box.cmbDrive);
    EXPECT_EQ(drive->text(QAccessible::Name), "Select Drive");
    EXPECT_EQ(drive->text(QAccessible::Value), "");
    QAccessibleInterface *list = drive->child(0);
    ASSERT_NE(list, nullptr);
    const int at = box.cmbDrive->findText(QStringLiteral("SVE745"));
    ASSERT_GE(at, 0);
    ASSERT_GT(list->childCount(), at);
    EXPECT_EQ(list->child(at)->text(QAccessible::Name), "SVE745");
    list->child(at)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(drive->text(QAccessible::Value), "SVE745");
    EXPECT_EQ(drive->text(QAccessible::Name), "Select Drive") << "named by its label, not by its text";
    EXPECT_EQ(box.BusClass(), 640);
    EXPECT_TRUE(box.cmbMotor->isEnabled());
    EXPECT_GT(box.cmbMotor->count(), 0);
    EXPECT_EQ(AccessibilityProblems(&box), QStringList());
    box.hide();
}

TEST_F(TuningWindowTest, OfflineStartListsTheMotorsOfTheDrivesBusAndTheWizardCalculates)
{
    Session session;
    session.InertiaRatio = 2.5;
    ScriptedMessages messages;
    TTuning tuning(session, messages);
    TslTuningBox box(session, messages, tuning);
    EXPECT_EQ(box.windowTitle(), "Select...");
    box.show();
    EXPECT_EQ(AccessibilityProblems(&box), QStringList());
    EXPECT_EQ(box.cmbDrive->count(), static_cast<int>(DriveModelNames().size()));
    EXPECT_FALSE(box.cmbMotor->isEnabled());
    EXPECT_EQ(box.edtInertiaR->text(), "2.5");

    box.btnOKClick();
    EXPECT_EQ(messages.texts().back(), "You must select a drive type!");
    EXPECT_TRUE(box.isVisible());

    Pick(box.cmbDrive, "SVE745");
    EXPECT_EQ(box.BusClass(), 640);
    ASSERT_GT(box.cmbMotor->count(), 0);
    for (int i = 0; i < box.cmbMotor->count(); ++i)
        EXPECT_GE(mdb_MaxVBus(box.cmbMotor->itemText(i).toStdString().c_str()), 640) << i;
    const int fieldbusMotors = box.cmbMotor->count();
    session.InHouse = true;
    Pick(box.cmbDrive, "SVE745");
    EXPECT_GT(box.cmbMotor->count(), fieldbusMotors) << "in-house: every motor";
    session.InHouse = false;
    Pick(box.cmbDrive, "SV732");
    EXPECT_EQ(box.BusClass(), 320);
    EXPECT_EQ(box.cmbMotor->count(), static_cast<int>(MotorNames(false, 320).size()));
    for (int i = 1; i < box.cmbMotor->count(); ++i)
        EXPECT_LE(box.cmbMotor->itemText(i - 1).compare(box.cmbMotor->itemText(i), Qt::CaseInsensitive), 0);

    box.btnOKClick();
    EXPECT_EQ(messages.texts().back(), "You must select a motor!");
    const std::string motor = TunableMotor();
    box.cmbMotor->setCurrentIndex(box.cmbMotor->findText(QString::fromStdString(motor)));
    box.edtInertiaR->setText("3");
    box.btnOKClick();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(session.InertiaRatio, 3);
    ASSERT_TRUE(tuning.isVisible());

    // The wizard off line: a calculator, no Apply and no Undo All.
    EXPECT_EQ(tuning.windowTitle(), "Tuning Wizard");
    EXPECT_EQ(tuning.width(), 540);
    EXPECT_EQ(AccessibilityProblems(&tuning), QStringList());
    EXPECT_EQ(tuning.edtDrive->text(), "SV732");
    EXPECT_EQ(tuning.edtMotor->text().toStdString(), motor);
    EXPECT_EQ(tuning.edtInertiaR->text(), "3");
    EXPECT_FALSE(tuning.btnApply->isVisible());
    EXPECT_FALSE(tuning.btnOrignal->isVisible());
    EXPECT_EQ(tuning.btnHelp->geometry(), QRect(320, tuning.btnHelp->y(), 89, tuning.btnHelp->height()));
    EXPECT_EQ(tuning.btnClose->geometry(), QRect(416, tuning.btnClose->y(), 89, tuning.btnClose->height()));
    EXPECT_TRUE(tuning.Timer2->isActive());
    ASSERT_TRUE(qttest::WaitFor([&] { return !tuning.Timer2->isActive(); }));
    EXPECT_EQ(tuning.AbHSlider1->value(), 75);
    EXPECT_EQ(tuning.lblBWReader->text(), "75");
    const double kvp = KvpFromBandwidth(75, mdb_Ke(motor.c_str()), mdb_Inertia(motor.c_str()), 3);
    EXPECT_EQ(tuning.edtKvp->text().toStdString(), KvpText(kvp));
    EXPECT_TRUE(tuning.lblPhaseValue->isVisible());
    EXPECT_EQ(tuning.lblPhaseValue->text().toStdString(), UpToText(PhaseMargin(75, tuning.Core().Loop()), 2));
    // The two numbers the wizard exists to show are heard through the read-outs themselves.
    for (QLabel *readout : {tuning.lblBWReader, tuning.lblPhaseValue}) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(readout);
        EXPECT_EQ(iface->text(QAccessible::Name), readout->text());
        EXPECT_EQ(iface->text(QAccessible::Value), readout->text());
        ASSERT_NE(iface->textInterface(), nullptr);
        EXPECT_EQ(iface->textInterface()->text(0, iface->textInterface()->characterCount()), readout->text());
        EXPECT_FALSE(iface->text(QAccessible::Description).isEmpty()) << "what the number is";
    }
    EXPECT_EQ(AccessibilityProblems(&tuning), QStringList());

    // A Kvi above the bandwidth, typed: evaluated 600 ms after the first key.
    Type(tuning.edtKvi, "90");
    EXPECT_TRUE(tuning.Timer2->isActive());
    ASSERT_TRUE(qttest::WaitFor([&] { return tuning.Panel2->isVisible(); }));
    EXPECT_EQ(tuning.Core().Kvi, 90);
    EXPECT_FALSE(tuning.Panel3->isVisible());
    // Default brings the loop back.
    tuning.btnDefault->click();
    EXPECT_EQ(tuning.edtKvi->text(), "5");
    ASSERT_TRUE(qttest::WaitFor([&] { return !tuning.Panel2->isVisible(); }));
    EXPECT_EQ(tuning.AbHSlider1->value(), 75);

    // Help opens the wizard's page.
    AppHelp().SetHelpFolder(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    tuning.btnHelp->click();
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith("tuning.html")) << AppHelp().CurrentFile().toStdString();
    AppHelp().hide();

    // Close asks nothing and hands the ratio back.
    const std::size_t boxes = messages.shown().size();
    Type(tuning.edtInertiaR, "4.25");
    ASSERT_TRUE(qttest::WaitFor([&] { return !tuning.Timer2->isActive(); }));
    tuning.btnClose->click();
    EXPECT_EQ(messages.shown().size(), boxes);
    EXPECT_FALSE(tuning.isVisible());
    EXPECT_EQ(session.InertiaRatio, 4.25);
}

TEST_F(TuningWindowTest, OnlineFromTheRatioDialogToApplyAndTheNvSave)
{
    const std::string motor = TunableMotor();
    auto sim = Start({"--model", "733", "--configured"});
    ASSERT_EQ(PutVar700("Motor1", PackMotorName(motor, 0)), 0);
    ASSERT_EQ(PutVar700("Motor2", PackMotorName(motor, 1)), 0);
    ASSERT_EQ(PutVar700("Kvp", 0.1), 0);
    ASSERT_EQ(PutVar700("Kvi", 4), 0);
    sim->ClearTrace();

    Session session;
    std::vector<bool> polling;
    session.SetStatusPolling([&](bool on) { polling.push_back(on); });
    QtMessages messages;
    TTuning tuning(session, messages);
    TInertiaRDlg dlg(session, messages);
    dlg.SetTuning(&tuning);
    dlg.SetPurpose(TInertiaRDlg::kOnlineTuning);
    dlg.show();
    dlg.edtInertiaR->setText("2");
    EXPECT_TRUE(dlg.btnOKClick());
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_TRUE(qttest::WaitFor([&] { return tuning.isVisible(); }));
    EXPECT_EQ(session.InertiaRatio, 2);

    EXPECT_EQ(tuning.edtDrive->text(), "SV733");
    EXPECT_EQ(tuning.edtMotor->text().toStdString(), motor);
    EXPECT_EQ(tuning.edtKvp->text(), "0.1");
    EXPECT_EQ(tuning.edtKvi->text(), "4");
    EXPECT_TRUE(tuning.btnApply->isVisible());
    EXPECT_TRUE(tuning.btnOrignal->isVisible());
    EXPECT_FALSE(tuning.btnApply->isEnabled());
    EXPECT_EQ(tuning.btnHelp->geometry().x(), 384);
    EXPECT_EQ(tuning.btnHelp->width(), 57);
    EXPECT_EQ(tuning.btnClose->geometry().x(), 448);
    ASSERT_TRUE(qttest::WaitFor([&] { return !tuning.Timer2->isActive(); }));
    EXPECT_FALSE(tuning.btnApply->isEnabled());

    int stepResponses = 0;
    session.Register(Window::StepResponse, [&] { ++stepResponses; });
    Type(tuning.edtKvp, "0.12");
    ASSERT_TRUE(qttest::WaitFor([&] { return tuning.btnApply->isEnabled(); }));
    EXPECT_FALSE(tuning.btnStepResponse->isVisible()) << "nothing applied yet";
    sim->ClearTrace();
    {
        qttest::BoxWatcher watcher({QStringLiteral("&Yes")});
        tuning.btnApply->click();
        ASSERT_TRUE(qttest::Settle([&] { return tuning.DriveBusy(); }));
        ASSERT_EQ(watcher.boxes().size(), 1u);
        EXPECT_TRUE(watcher.boxes()[0].text.startsWith("Applying the your adjustment will change the parameters in drive."));
        EXPECT_TRUE(watcher.boxes()[0].text.contains("Kvp  0.1-->0.12\n"));
    }
    std::vector<std::string> writes;
    for (const testutil::TraceLine &t : sim->Trace())
        if (t.command.rfind("PUT", 0) == 0)
            writes.push_back(t.name);
    ASSERT_EQ(writes.size(), 5u);
    const char *order[] = {"Enable", "Kvi", "Kvp", "ARF0", "ARF1"};
    for (std::size_t i = 0; i < writes.size(); ++i)
        EXPECT_TRUE(testutil::SameName(writes[i], order[i])) << writes[i];
    EXPECT_FALSE(tuning.btnApply->isEnabled());
    // Applied on line: the link to the step response opens the scope armed with the new bandwidth.
    ASSERT_TRUE(tuning.btnStepResponse->isVisible());
    EXPECT_EQ(tuning.btnStepResponse->text(), "Look at the step response");
    tuning.btnStepResponse->click();
    EXPECT_EQ(stepResponses, 1);
    EXPECT_DOUBLE_EQ(session.Sweeps.StepBandwidthHz, tuning.Core().BW);
    EXPECT_GT(session.Sweeps.StepBandwidthHz, 0);

    // Undo All brings back the drive's Kvp into the edit (to apply again).
    tuning.btnOrignal->click();
    EXPECT_EQ(tuning.edtKvp->text(), "0.1");
    ASSERT_TRUE(qttest::WaitFor([&] { return !tuning.Timer2->isActive(); }));
    EXPECT_TRUE(tuning.btnApply->isEnabled());

    // Close: the last change is not applied, the applied one is saved in NV memory.
    sim->ClearTrace();
    {
        qttest::BoxWatcher watcher({QStringLiteral("&No"), QStringLiteral("&Yes"), QStringLiteral("OK")});
        tuning.btnClose->click();
        // The save, then the second the drive needs to write its memory.
        ASSERT_TRUE(qttest::WaitFor([&] { return !tuning.isVisible(); }, 8000));
        ASSERT_EQ(watcher.boxes().size(), 3u);
        EXPECT_EQ(watcher.boxes()[0].text, "Would you like to apply the last change?");
        EXPECT_EQ(watcher.boxes()[1].text, "Would you like to save the change in NVRAM?");
        EXPECT_EQ(watcher.boxes()[2].text, "NVSave is successful");
    }
    EXPECT_EQ(polling, (std::vector<bool>{false, true}));
    bool saved = false;
    for (const testutil::TraceLine &t : sim->Trace())
        saved = saved || testutil::SameName(t.name, "NVSave");
    EXPECT_TRUE(saved);
    EXPECT_FALSE(tuning.isVisible());
    EXPECT_EQ(session.InertiaRatio, 2);
    double kvp = 0;
    ASSERT_EQ(GetVar700("Kvp", &kvp), 0);
    EXPECT_NEAR(kvp, 0.12, 1e-6) << "the applied value, not the undone one";
}

TEST_F(TuningWindowTest, AnOnlineStartThatCannotReadTheDriveLeavesTheWizardHidden)
{
    auto sim = Start({"--model", "733"});
    sim->Stop();
    Session session;
    ScriptedMessages messages;
    TTuning tuning(session, messages);
    TInertiaRDlg dlg(session, messages);
    dlg.SetTuning(&tuning);
    dlg.SetPurpose(TInertiaRDlg::kOnlineTuning);
    dlg.show();
    EXPECT_TRUE(dlg.btnOKClick());
    ASSERT_TRUE(qttest::Settle([&] { return tuning.DriveBusy(); }));
    EXPECT_EQ(messages.texts().size(), 1u);
    EXPECT_FALSE(tuning.isVisible());
}
