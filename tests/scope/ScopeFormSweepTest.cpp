// The scope's sweeps handed on: its history to the sweep analysis with the reference drawn behind
// the traces, a single sweep's end told to the analysis, and the step response armed on the
// velocity signals.
#include "ScopeFormFixture.h"

using namespace tools700;
using scopeformtest::ScopeFormTest;

TEST_F(ScopeFormTest, TheHistoryGoesToTheSweepAnalysisAndItsReferenceIsDrawnBehindTheTraces)
{
    auto form = Make();
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    Enter(form->edtCh1Gain, QStringLiteral("2"));
    const int before = form->graph->Repaints();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before + 1; }));
    form->FormHide();
    ASSERT_TRUE(session.Sweeps.HasHistory());
    const std::vector<Sweep> sweeps = session.Sweeps.History();
    ASSERT_FALSE(sweeps.empty());
    const Sweep &last = sweeps.back();
    ASSERT_EQ(last.size(), 100u);
    EXPECT_EQ(last.Channel(1).signal, "Velocity Feedback");
    EXPECT_EQ(last.Channel(1).unit, "Rpm");
    EXPECT_DOUBLE_EQ(last.Channel(1).scale, 2);
    EXPECT_DOUBLE_EQ(last.Channel(1).values[7], 2) << "in signal units, not divisions";
    EXPECT_DOUBLE_EQ(last.Channel(2).values[7], -2);
    EXPECT_DOUBLE_EQ(last.seconds[50], 0.05);
    EXPECT_DOUBLE_EQ(last.timebaseMs, 1);
    EXPECT_EQ(last.trigger, "None (free-running)");
    EXPECT_EQ(last.origin, "Scope frame " + std::to_string(sweeps.size()) + " of " + std::to_string(sweeps.size()));

    // A reference of channel 1's signal is drawn at channel 1's scale; channel 2 shows another.
    auto reference = std::make_shared<Sweep>(last);
    reference->channels[0].values.assign(100, 10.0);
    reference->channels[1].signal = "Current Command";
    session.Sweeps.SetReference(reference);
    ASSERT_EQ(form->graph->Reference(0).size(), 100);
    EXPECT_DOUBLE_EQ(form->graph->Reference(0)[40].y(), 5);
    EXPECT_DOUBLE_EQ(form->graph->Reference(0)[40].x(), 0.04);
    EXPECT_TRUE(form->graph->Reference(1).isEmpty());
    Enter(form->edtCh1Gain, QStringLiteral("5"));
    EXPECT_DOUBLE_EQ(form->graph->Reference(0)[40].y(), 2);
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("VBus")));
    EXPECT_TRUE(form->graph->Reference(0).isEmpty());
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    EXPECT_EQ(form->graph->Reference(0).size(), 100);
    session.Sweeps.SetReference(nullptr);
    EXPECT_TRUE(form->graph->Reference(0).isEmpty());
    // A window that goes takes its history along.
    form.reset();
    EXPECT_FALSE(session.Sweeps.HasHistory());
}

TEST_F(ScopeFormTest, AnalysisOpensTheSweepAnalysisAndASingleSweepsEndIsTold)
{
    auto form = Make();
    EXPECT_FALSE(form->btnAnalysis->isEnabled());
    int analyses = 0, ended = 0;
    session.Register(Window::SweepAnalysis, [&] { ++analyses; });
    bool early = false; // told before a frame of the new sweep came
    session.Sweeps.OnSweepEnded([&] {
        ++ended;
        early = early || !link.FetchedSinceArm();
    });
    form->hide();
    form->show();
    ASSERT_TRUE(form->btnAnalysis->isEnabled());
    form->btnAnalysis->click();
    EXPECT_EQ(analyses, 1);

    form->ckbSingleSweep->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->Pump().State() == scope::SweepState::Waiting; }));
    form->btnReset->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return ended == 1; }));
    EXPECT_EQ(analyses, 1) << "a sweep armed by Reset does not open the analysis";
    EXPECT_FALSE(early);
    form->ckbSingleSweep->click();
    qttest::WaitFor([&] { return false; }, 200);
    EXPECT_EQ(ended, 1) << "free running is no sweep's end";
}

TEST_F(ScopeFormTest, TheStepResponseIsArmedOnTheVelocitySignalsAndOpensTheAnalysisAtItsEnd)
{
    EXPECT_EQ(TScopeForm::StepTimebase(25), 2);
    EXPECT_EQ(TScopeForm::StepTimebase(75), 1);
    EXPECT_EQ(TScopeForm::StepTimebase(10), 5);
    EXPECT_EQ(TScopeForm::StepTimebase(0.1), 100);
    EXPECT_FALSE(TScopeForm::StepTimebase(0));

    auto form = Make();
    int analyses = 0;
    bool early = false; // the analysis opened before a frame of the new sweep came
    session.Register(Window::SweepAnalysis, [&] {
        ++analyses;
        early = early || !link.FetchedSinceArm();
    });
    session.Sweeps.StepBandwidthHz = 25;
    link.Queue({0, 0, 0}); // the arm request
    form->ArmStepResponse();
    EXPECT_EQ(form->Scope().SourceName(1), "Velocity Command");
    EXPECT_EQ(form->Scope().SourceName(2), "Velocity Feedback");
    EXPECT_EQ(form->cmbSource1->currentText(), "Velocity Command");
    EXPECT_EQ(form->Scope().TriggerSource(), scope::kCh1Rising);
    EXPECT_DOUBLE_EQ(form->Scope().TriggerLevel(), 1);
    EXPECT_EQ(form->cmbTimebase->currentText(), "0.025 sec / div");
    EXPECT_TRUE(form->ckbSingleSweep->isChecked());
    ASSERT_TRUE(qttest::WaitFor([&] { return analyses == 1; }));
    // The drive was asked for the sweep on these signals, trigger and timebase.
    bool armed = false;
    for (const testutil::ScopeCall &c : link.Calls())
        armed = armed || (c.kind == scope::kArmRequest && c.ch1 == 28 && c.ch2 == 1 && c.trigger == 1 && c.timebase == 2);
    EXPECT_TRUE(armed);
    // A level set for that edge stays.
    Enter(form->edtTriggerLevel, QStringLiteral("250"));
    form->ArmStepResponse();
    EXPECT_DOUBLE_EQ(form->Scope().TriggerLevel(), 250);
    ASSERT_TRUE(qttest::WaitFor([&] { return analyses == 2; }));
    EXPECT_FALSE(early);
}
