// The configuration editor's questions: before losing changes, and whether to take the defaults
// after a motor change.
#include "WizardWindowsFixture.h"

using namespace tools700;
using namespace wizardwindowstest;

TEST_F(WizardWindowsTest, TheQuestionsBeforeLosingChanges)
{
    Cfg cfg;
    cfg.Set("Model", 733);
    cfg.Set("Kvp", 2.0);
    cfg.ClearModified();
    wizard->BeginEdit(kEntryEditFile, cfg, "/tmp/x.cfg");
    auto *kvp = wizard->Control<TQXEditNum>("pedtKvp");
    ASSERT_NE(kvp, nullptr);
    kvp->setText(QStringLiteral("3.5"));
    kvp->DoExit();
    // Cancel after an edit asks; No keeps editing, Yes closes.
    messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
    wizard->btnBackClick();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Do you really want to lose any changes?\n\nPress YES to lose changes, NO to continue "
                                 "editing.");
    EXPECT_EQ(messages.kinds[0], BoxKind::Warning);
    EXPECT_FALSE(wizard->Finished());
    EXPECT_TRUE(wizard->isVisible());

    // The save window's question: Yes goes back to the save window, No finishes; Back returns
    // to the editor with the edit kept and taken as the new baseline.
    int visit = 0;
    std::function<void(TSaveForm *)> step = [&](TSaveForm *s) {
        ++visit;
        if (visit == 1) {
            messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
            s->btnFinishClick();
            EXPECT_TRUE(s->isVisible());
            s->btnBackClick();
        } else {
            messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
            s->btnFinishClick();
        }
    };
    WhenModal<TSaveForm>(step);
    wizard->btnNextClick();
    EXPECT_EQ(visit, 1);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(cfg.Get("Kvp"), 3.5);
    EXPECT_EQ(kvp->text(), "3.50000");
    WhenModal<TSaveForm>(step);
    wizard->btnNextClick();
    EXPECT_EQ(visit, 2);
    EXPECT_TRUE(wizard->Finished());
    EXPECT_TRUE(messages.Saw("You haven't saved this configuration to a file yet!"));
}

TEST_F(WizardWindowsTest, TheDefaultSettingQuestionAfterAMotorChange)
{
    FirstPage("SV733", "Velocity Mode -- Analog Command", 0);
    io->btnOKClick();
    ASSERT_TRUE(wizard->OnSecondPage());
    Cfg *first = wizard->Core().WorkingCfg;
    ASSERT_NE(first, nullptr);
    Cfg before;
    before.Assign(*first);

    // No: only the motor's variables change.
    messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
    wizard->cmbMotor->setCurrentIndex(7);
    wizard->cmbMotorChange();
    EXPECT_EQ(messages.texts.back(), "Do you want to change parameters to default setting?");
    EXPECT_EQ(messages.kinds.back(), BoxKind::Warning);
    EXPECT_EQ(wizard->Core().WorkingCfg, first);
    const std::set<std::string> motorVariables{"BlkType", "EncMode", "Motor1", "Motor2", "PoleCount", "HallOffset"};
    int changed = 0;
    for (TQX *t : first->PrimaryList()) {
        const std::string &n = t->VarName();
        if (t->Val() == before.Get(n))
            continue;
        ++changed;
        const bool harmonic = n.find("HarmCoeff") != std::string::npos;
        EXPECT_TRUE(motorVariables.count(n) || harmonic) << n;
    }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(PackedMotorName(*first), wizard->MotorText().toStdString());
    EXPECT_EQ(inertiaAsked, 0);

    // A value typed (and left, as choosing the motor does) is kept through the change.
    auto *kvp = wizard->Control<TQXEditNum>("pedtKvp");
    ASSERT_NE(kvp, nullptr);
    kvp->setText(QStringLiteral("3.25"));
    kvp->DoExit();
    wizard->cmbMotor->setCurrentIndex(8);
    wizard->cmbMotorChange();
    EXPECT_EQ(first->Get("Kvp"), 3.25);
    EXPECT_EQ(kvp->text().toDouble(), 3.25);
    EXPECT_EQ(PackedMotorName(*first), wizard->MotorText().toStdString());

    // Yes: a new configuration for the motor, the ratio asked for this velocity mode.
    messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
    wizard->cmbMotor->setCurrentIndex(9);
    wizard->cmbMotorChange();
    EXPECT_EQ(inertiaAsked, 1);
    Cfg *second = wizard->Core().WorkingCfg;
    EXPECT_EQ(second, wizard->Core().OwnCfg.get());
    EXPECT_EQ(PackedMotorName(*second), wizard->MotorText().toStdString());
    EXPECT_EQ(wizard->Core().IoMap, DefaultIoMap(false, 1));

    // A mode change with Yes: the defaults of the new mode; a torque mode asks no ratio.
    Choose(wizard->cmbOpMode, QStringLiteral("Torque Mode -- Analog Command"));
    wizard->cmbOpModeClick();
    EXPECT_EQ(inertiaAsked, 1);
    EXPECT_EQ(wizard->Core().SelectedMode, 0);
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Torque));
    EXPECT_FALSE(wizard->Control<QWidget>("pedtKvp")->isEnabled());
    EXPECT_EQ(wizard->Core().WorkingCfg->Get("InpMap4"), 0x8007);
    wizard->btnBackClick();
}
