// The motor database editor's windows on Qt's offscreen platform over real extension files in a
// temporary program folder: an empty folder, a new linear motor, the name rules of the new-motor
// dialog, a motor in English units saved and reopened, the commutation source's offset panels,
// Cancel after changes, deleting the only motor and a failed Exit.
#include "QtTestSupport.h"

#include "TempDir.h"

#include "mdb700.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Motor.h"
#include "tools700/motoredit/EditMDBDlg.h"
#include "tools700/motoredit/MotorRules.h"
#include "tools700/motoredit/NewMotorDlg.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/widgets/HelpViewer.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>

#include <gtest/gtest.h>

using namespace tools700;
namespace fs = std::filesystem;

namespace {

QStringList Items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Types a value into a bound edit and leaves it.
void Type(TQXEditMotorNum *e, const QString &text)
{
    e->setText(text);
    emit e->textEdited(text);
    e->DoExit();
}

class EditMDBDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        SetControlMessages(&messages);
        session.ProgramDir = dir.Path().string() + "/";
    }
    void TearDown() override { SetControlMessages(nullptr); }

    // The new-motor dialog, answered by `step` once it is shown.
    void NewMotor(TEditMDBDlg &w, std::function<void(TNewMotorDlg *)> step)
    {
        qttest::WhenModal<TNewMotorDlg>(std::move(step));
        w.btnNew->click();
    }

    static void Choose(TNewMotorDlg *d, const QString &type, const QString &name, bool metric)
    {
        d->pcmMotorType->setCurrentIndex(d->pcmMotorType->findText(type));
        d->pcmMotorType->DoExit();
        d->edtName->setText(name);
        (metric ? d->rdiMetric : d->rdiEnglish)->setChecked(true);
        d->btnOK->click();
    }

    testsupport::TempDir dir;
    ScriptedMessages messages;
    Session session;
};

TEST_F(EditMDBDlgTest, EmptyFolderOpensWithEmptyControls)
{
    TEditMDBDlg w(session, messages);
    w.FormShow();
    w.show();
    EXPECT_EQ(w.windowTitle(), "Motor Database Extension Editor");
    EXPECT_EQ(w.cmbMotorList->count(), 0);
    EXPECT_FALSE(w.btnDelete->isEnabled());
    EXPECT_FALSE(w.btnEdit->isEnabled());
    EXPECT_TRUE(w.btnNew->isVisible() && w.btnExit->isVisible());
    EXPECT_FALSE(w.btnOK->isVisible() || w.btnCancel->isVisible());
    EXPECT_FALSE(w.grpParameters->isEnabled());
    EXPECT_TRUE(w.pemKe->text().isEmpty());
    EXPECT_TRUE(w.pemInductance->text().isEmpty());
    EXPECT_EQ(w.pcmCommSrc->currentIndex(), -1);
    EXPECT_FALSE(w.pnlEncRes->isVisible());
    EXPECT_FALSE(w.pnlCommOffset->isVisible());
    EXPECT_EQ(w.btnExit->toolTip(), "Accept all changes and update the database");
    EXPECT_TRUE(AccessibilityProblems(&w).isEmpty()) << AccessibilityProblems(&w).join(", ").toStdString();
    EXPECT_TRUE(AccessibilityProblems(w.NewMotorDlg).isEmpty()) << AccessibilityProblems(w.NewMotorDlg).join(", ").toStdString();
    // F1 opens each window's own page.
    HelpIndex help;
    help.Load(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    for (const auto &[window, page] : {std::pair<QWidget *, const char *>{&w, "motoredit.html"},
                                       {w.NewMotorDlg, "newmotor.html"}}) {
        const HelpPage *p = help.ByContext(window->property("helpContext").toInt());
        ASSERT_NE(p, nullptr) << page;
        EXPECT_EQ(p->file, page);
    }
    // No close box: Escape and the window manager's close do nothing; Exit is the way out.
    w.reject();
    EXPECT_TRUE(w.isVisible());
    w.btnExit->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST_F(EditMDBDlgTest, NewLinearMotorIsEditedAndWritten)
{
    TEditMDBDlg w(session, messages);
    w.FormShow();
    w.show();
    QString typedBack;
    NewMotor(w, [&](TNewMotorDlg *d) {
        EXPECT_EQ(d->windowTitle(), "New Motor Definition");
        EXPECT_EQ(Items(d->pcmMotorType), (QStringList{"Rotary", "Linear"}));
        EXPECT_TRUE(d->rdiMetric->isChecked());
        Choose(d, "Linear", "  lin1 ", true);
        typedBack = d->edtName->text();
    });
    EXPECT_EQ(typedBack, "LIN1") << "blanks trimmed, upper case";
    EXPECT_EQ(w.cmbMotorList->currentText(), "LIN1");
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Edit);
    EXPECT_TRUE(w.btnOK->isVisible());
    EXPECT_FALSE(w.btnCancel->isVisible()) << "a new motor can only be confirmed";
    EXPECT_FALSE(w.cmbMotorList->isEnabled());
    EXPECT_EQ(w.lblMotorType->text(), "Linear");
    EXPECT_EQ(Items(w.pcmCommSrc), (QStringList{"Incremental Encoder", "Comcoder (Hall/Encoder)"}));
    EXPECT_EQ(w.pcmCommSrc->currentText(), "Incremental Encoder");
    EXPECT_TRUE(w.pnlEncRes->isVisible());
    EXPECT_TRUE(w.pnlLinearMass->isVisible());
    EXPECT_FALSE(w.pnlInertiaMetric->isVisible() || w.pnlInertiaEnglish->isVisible());
    EXPECT_EQ(w.lblKeUnits->text(), "V(0-peak)/m/sec");
    EXPECT_EQ(w.lblPoleCount->text(), "Pole Spacing");
    EXPECT_EQ(w.lblPoleCountUnits->text(), "cm");
    EXPECT_EQ(w.pemKe->VarName(), "LinearKe");
    EXPECT_EQ(w.pemWeightOrInertia->VarName(), "CoilWeight");

    Type(w.pemKe, "21.5");
    Type(w.pemWeightOrInertia, "2.5");
    Type(w.pemPoleCountOrSpacing, "3");
    w.btnOK->click();
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Browse);
    EXPECT_TRUE(w.btnDelete->isEnabled());
    w.btnExit->click();
    EXPECT_FALSE(w.isVisible());

    Motor back;
    back.Load(dir.File("LIN1.MDE"));
    EXPECT_EQ(back.Get("MotorType"), 1);
    EXPECT_EQ(back.Get("CommSrc"), 1);
    EXPECT_EQ(back.Get("ShowMetric"), 1);
    EXPECT_NEAR(back.Get("LinearKe"), 21.5, 1e-6);
    EXPECT_NEAR(back.Get("CoilWeight"), 2.5, 1e-6);
    EXPECT_NEAR(back.Get("PoleSpacing"), 3, 1e-6);
}

TEST_F(EditMDBDlgTest, NamesThatAreRefusedKeepTheDialogOpen)
{
    Motor existing;
    existing.Save(dir.File("MINE.MDE"), 0);
    char builtin[9] = {};
    ASSERT_NE(mdb_FirstName(builtin), nullptr);
    TEditMDBDlg w(session, messages);
    w.FormShow();
    w.show();
    std::vector<bool> stillOpen;
    NewMotor(w, [&](TNewMotorDlg *d) {
        for (const QString &name : {QStringLiteral("AB-1"), QStringLiteral(""), QString::fromLatin1(builtin),
                                    QStringLiteral("mine")}) {
            d->edtName->setText(name);
            d->btnOK->click();
            stillOpen.push_back(d->isVisible());
        }
        d->btnCancel->click();
    });
    EXPECT_EQ(stillOpen, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{motoredit::kNameNotAlphanumeric,
                                                           motoredit::kNameNotAlphanumeric, motoredit::kNameBuiltIn,
                                                           motoredit::kNameInEditor}));
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Warning);
    // Cancelled: nothing changed.
    EXPECT_EQ(Items(w.cmbMotorList), QStringList{"MINE"});
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Browse);
    w.btnExit->click();
}

TEST_F(EditMDBDlgTest, EnglishRotaryMotorIsShownAgainAfterReopening)
{
    {
        TEditMDBDlg w(session, messages);
        w.FormShow();
        w.show();
        NewMotor(w, [](TNewMotorDlg *d) { Choose(d, "Rotary", "eng1", false); });
        EXPECT_EQ(w.lblMotorType->text(), "Rotary");
        EXPECT_EQ(w.lblKeUnits->text(), "V(0-peak)/krpm");
        EXPECT_TRUE(w.pnlInertiaEnglish->isVisible());
        EXPECT_FALSE(w.pnlInertiaMetric->isVisible());
        EXPECT_FALSE(w.pnlEncRes->isVisible());
        EXPECT_FALSE(w.lblPoleCountUnits->isVisible());
        EXPECT_EQ(w.lblPoleCount->text(), "Pole Count");
        EXPECT_EQ(Items(w.pcmCommSrc).size(), 3);
        Type(w.pemKe, "45.25");
        Type(w.pemWeightOrInertia, "0.125");
        Type(w.pemInductance, "7.5");
        w.btnOK->click();
        w.btnExit->click();
    }
    TEditMDBDlg again(session, messages);
    again.FormShow();
    again.show();
    EXPECT_EQ(again.cmbMotorList->currentText(), "ENG1");
    EXPECT_EQ(again.lblKeUnits->text(), "V(0-peak)/krpm");
    EXPECT_TRUE(again.pnlInertiaEnglish->isVisible());
    // The file keeps six decimals of the metric values: 1e-6 V/(rad/s) is about 1.05e-4 V/krpm,
    // and 1e-6 kg m^2 (the file's inertia unit) about 0.00885 lb in s^2 x 10^-3.
    EXPECT_NEAR(again.pemKe->text().toDouble(), 45.25, 1.05e-4 / 2);
    EXPECT_NEAR(again.pemWeightOrInertia->text().toDouble(), 0.125, 0.00885 / 2);
    EXPECT_NEAR(again.pemInductance->text().toDouble(), 7.5, 1e-5);
    again.btnExit->click();
}

TEST_F(EditMDBDlgTest, CommutationSourceShowsItsOffsetAndCancelRestores)
{
    Motor m;
    m.Set("MotorType", 0);
    m.Set("ShowMetric", 1);
    m.Set("CommSrc", 1);
    m.Set("Inductance", 4);
    m.Save(dir.File("ROT.MDE"), 0);
    TEditMDBDlg w(session, messages);
    w.FormShow();
    w.show();
    EXPECT_FALSE(w.pnlCommOffset->isVisible() || w.pnlHallOffset->isVisible());
    w.btnEdit->click();
    EXPECT_TRUE(w.grpParameters->isEnabled());
    EXPECT_TRUE(w.btnCancel->isVisible());
    EXPECT_EQ(w.btnCancel->toolTip(), "Cancel changes to this motor");

    const auto choose = [&](const QString &source) {
        const int i = w.pcmCommSrc->findText(source);
        w.pcmCommSrc->setCurrentIndex(i);
        emit w.pcmCommSrc->activated(i);
    };
    choose("Resolver");
    EXPECT_TRUE(w.pnlCommOffset->isVisible());
    EXPECT_FALSE(w.pnlHallOffset->isVisible());
    choose("Comcoder (Hall/Encoder)");
    EXPECT_TRUE(w.pnlHallOffset->isVisible());
    EXPECT_FALSE(w.pnlCommOffset->isVisible());
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Edit);
    Type(w.pemInductance, "9");
    EXPECT_TRUE(w.Edited());

    // No: editing goes on; Yes: the motor as it was.
    messages.Queue(Answer::No);
    w.btnCancel->click();
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Edit);
    EXPECT_EQ(messages.texts().back(), kCancelEditQuestion);
    EXPECT_EQ(messages.shown().back().kind, BoxKind::Confirmation);
    messages.Queue(Answer::Yes);
    w.btnCancel->click();
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Browse);
    EXPECT_NEAR(w.pemInductance->text().toDouble(), 4, 1e-9);
    EXPECT_EQ(w.pcmCommSrc->currentText(), "Incremental Encoder");
    EXPECT_FALSE(w.pnlHallOffset->isVisible());

    // A value set through the accessibility interface is an edit like a typed one.
    w.btnEdit->click();
    EXPECT_FALSE(w.Edited());
    QAccessibleInterface *inductance = QAccessible::queryAccessibleInterface(w.pemInductance);
    inductance->setText(QAccessible::Value, QStringLiteral("7"));
    EXPECT_EQ(w.pemInductance->text(), "7");
    EXPECT_TRUE(w.Edited());
    messages.Queue(Answer::No);
    w.btnCancel->click();
    EXPECT_EQ(messages.texts().back(), kCancelEditQuestion);
    EXPECT_EQ(w.GetMode(), motoredit::Mode::Edit);
    EXPECT_EQ(AccessibilityProblems(&w), QStringList());
    messages.Queue(Answer::Yes);
    w.btnCancel->click();
    w.btnExit->click();
    Motor back;
    back.Load(dir.File("ROT.MDE"));
    EXPECT_NEAR(back.Get("Inductance"), 4, 1e-6);
    EXPECT_EQ(back.Get("CommSrc"), 1);
}

TEST_F(EditMDBDlgTest, DeletingTheOnlyMotorAndExitEmptiesTheFolder)
{
    Motor m;
    m.Save(dir.File("ONLY.MDE"), 0);
    TEditMDBDlg w(session, messages);
    w.FormShow();
    w.show();
    messages.Queue(Answer::No);
    w.btnDelete->click();
    EXPECT_EQ(w.cmbMotorList->count(), 1);
    EXPECT_EQ(messages.texts().back(), kDeleteQuestion);
    messages.Queue(Answer::Yes);
    w.btnDelete->click();
    EXPECT_EQ(w.cmbMotorList->count(), 0);
    EXPECT_FALSE(w.btnDelete->isEnabled());
    EXPECT_TRUE(w.pemInductance->text().isEmpty());
    EXPECT_TRUE(fs::exists(dir.File("ONLY.MDE"))) << "nothing is written before Exit";
    w.btnExit->click();
    EXPECT_FALSE(fs::exists(dir.File("ONLY.MDE")));
}

TEST_F(EditMDBDlgTest, FailedExitKeepsBothSetsAndTheWindow)
{
    Motor m;
    m.Set("Inductance", 3);
    m.Save(dir.File("OLD.MDE"), 0);
    TEditMDBDlg w(session, messages);
    w.FormShow();
    w.show();
    NewMotor(w, [](TNewMotorDlg *d) { Choose(d, "Rotary", "NEWONE", true); });
    w.btnOK->click();
    fs::create_directories(dir.File(std::string("NEWONE.MDE") + motoredit::kNewSuffix) + "/in-the-way");
    w.btnExit->click();
    EXPECT_TRUE(w.isVisible()) << "the editor keeps its motors";
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_NE(messages.texts().back().find("NEWONE.MDE"), std::string::npos);
    Motor old;
    old.Load(dir.File("OLD.MDE"));
    EXPECT_NEAR(old.Get("Inductance"), 3, 1e-6);
    EXPECT_FALSE(fs::exists(dir.File("NEWONE.MDE")));
    // Once the way is clear, Exit writes both.
    fs::remove_all(dir.File(std::string("NEWONE.MDE") + motoredit::kNewSuffix));
    w.btnExit->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(fs::exists(dir.File("NEWONE.MDE")));
    EXPECT_TRUE(fs::exists(dir.File("OLD.MDE")));
}

} // namespace
