// The program's windows under a user's decimal-comma locale (German, with the C library's
// LC_NUMERIC a comma too where such a locale can be had): the configuration editor, the tuning
// wizard and the on-line window show and read numbers with the user's separator alike, and the
// configuration file keeps C notation.
#include "../common/CommaLocale.h"
#include "FixedFileDialog.h"
#include "QtTestSupport.h"
#include "Startup.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/online/VarDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/tuning/SlTuningBox.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/tuning/TuningFormulas.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/WizardRules.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>

#include <fstream>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

using namespace tools700;
using testsupport::FixedFileDialog;

namespace {

class NumberRuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App(); // before the C library's locale: QApplication sets it from the environment
        comma.emplace();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        setenv("TOOLS700_HELP_DIR", TOOLS700_BIN_DIR "/help", 1);
        ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
        UseSerialPort(0);
        SetAxis700(255);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    qttest::SettingsFile settings;
    QTemporaryDir dir;
    ScriptedMessages messages;
    std::optional<testutil::CommaLocale> comma; // a no-op where the machine has no such locale
    Program program;
};

TEST_F(NumberRuleTest, TheEditorShowsTheUsersSeparatorAndTheFileKeepsCNotation)
{
    const std::string motor = MotorNames(false, 640).at(1);
    Cfg made;
    FillDefaults(made, motor, "SVE735", 1, 1.0, DefaultIoMap(false, 1));
    made.Set("Kvp", 0.21188);
    const std::string file = dir.filePath(QStringLiteral("cfg/comma.cfg")).toStdString();
    ASSERT_GT(made.Save(file, 1735), 0);
    std::stringstream saved;
    saved << std::ifstream(file).rdbuf();
    EXPECT_NE(saved.str().find("0.211880"), std::string::npos) << saved.str();

    program.mainForm->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(file));
    QString shown;
    qttest::WhenModal<TCfgNewDlg>([&](TCfgNewDlg *w) {
        for (TQXEditNum *edit : w->findChildren<TQXEditNum *>())
            if (edit->VarName() == QLatin1String("Kvp"))
                shown = edit->text();
        w->btnBackClick();
    });
    program.mainForm->EditFile();
    EXPECT_EQ(shown, "0,21188");
    EXPECT_TRUE(messages.texts().empty()) << messages.texts().front();
}

TEST_F(NumberRuleTest, TheTuningWizardShowsAndReadsTheUsersSeparator)
{
    std::string motor;
    for (const std::string &m : MotorNames(false, 320))
        if (mdb_Ke(m.c_str()) > 0 && mdb_Inertia(m.c_str()) > 0 && mdb_Inductance(m.c_str()) > 0) {
            motor = m;
            break;
        }
    ASSERT_FALSE(motor.empty());
    messages.Queue(Answer::No); // not on line
    qttest::WhenModal<TslTuningBox>([&](TslTuningBox *box) {
        box->cmbDrive->setCurrentIndex(box->cmbDrive->findText(QStringLiteral("SV732")));
        emit box->cmbDrive->activated(box->cmbDrive->currentIndex());
        box->cmbMotor->setCurrentIndex(box->cmbMotor->findText(QString::fromStdString(motor)));
        box->edtInertiaR->setText(QStringLiteral("2,5"));
        box->btnOKClick();
    });
    program.mainForm->TuningWizard();
    auto *tuning = program.Find<TTuning>();
    ASSERT_TRUE(tuning->isVisible());
    ASSERT_TRUE(qttest::WaitFor([&] { return !tuning->Timer2->isActive(); }));
    EXPECT_EQ(tuning->edtInertiaR->text(), "2,5");
    const double kvp = tuning::KvpFromBandwidth(75, mdb_Ke(motor.c_str()), mdb_Inertia(motor.c_str()), 2.5);
    EXPECT_EQ(tuning->edtKvp->text().toStdString(), tuning::KvpText(kvp, ','));
    EXPECT_TRUE(tuning->edtKvp->text().contains(QLatin1Char(','))) << tuning->edtKvp->text().toStdString();
    EXPECT_EQ(tuning->lblPhaseValue->text().toStdString(),
              tuning::UpToText(tuning::PhaseMargin(75, tuning->Core().Loop()), 2, ','));
    tuning->btnClose->click();
}

TEST_F(NumberRuleTest, TheOnlineWindowShowsDriveValuesWithTheUsersSeparator)
{
    qttest::DriveSim sim({"--model", "733"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(PutVar700("Kvp", 1.5), 0);
    auto *online = program.Find<Tvardlg>();
    online->show();
    online->cmbName[0]->setEditText(QStringLiteral("Kvp"));
    online->RefreshRow(0);
    const QString expected = QString::fromStdString("1,500 " + UnitText("Kvp"));
    EXPECT_TRUE(qttest::WaitFor([&] { return online->edtShowNum[0]->text() == expected; }))
        << online->edtShowNum[0]->text().toStdString();
    online->hide();
}

} // namespace
