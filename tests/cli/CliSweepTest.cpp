// tools700-cli sweep run as a user would: on step responses of drivesim's velocity loop (--step)
// captured with tools700-cli scope at two gains, whose rise times follow the bandwidth the tuning
// formulas give; its text and exit codes on sweep files that hold a step, no step or no sweep.
#include "CliSimTest.h"

#include "mdb700.h"
#include "tools700/analysis/StepFigures.h"
#include "tools700/analysis/SweepFile.h"
#include "tools700/tuning/TuningFormulas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testutil;
using namespace tools700;

namespace {

constexpr double kPi = 3.14159265358979323846;
// drivesim's default motor for --step and its default load ratio.
constexpr const char *kMotor = "KS082A";
constexpr double kRatio = 1.0;

class CliSweep : public CliSimTest {
protected:
    // The velocity loop tuned to `bandwidth` (Hz) with the other settings given, then one sweep of
    // Velocity Command and Velocity Feedback triggered by the command's step; its figures.
    analysis::StepFigures StepResponse(double bandwidth, const std::vector<std::pair<const char *, const char *>> &loop,
                                       const std::string &csv)
    {
        const double kvp = tuning::KvpFromBandwidth(bandwidth, mdb_Ke(kMotor), mdb_Inertia(kMotor), kRatio);
        EXPECT_EQ(Run({"--port", "0", "set", "Kvp", std::to_string(kvp)}).rc, 0);
        for (const auto &[name, value] : loop)
            EXPECT_EQ(Run({"--port", "0", "set", name, value}).rc, 0) << name;
        const CliResult r = Run({"--port", "0", "--quiet", "scope", "--ch1", "Velocity Command", "--ch2",
                                 "Velocity Feedback", "--timebase", "1", "--trigger", "1", "--level", "1", "--single",
                                 "--csv", csv});
        EXPECT_EQ(r.rc, 0) << r.err;
        std::string error;
        const auto file = analysis::ReadSweepFile(csv, error);
        if (!file) {
            ADD_FAILURE() << error;
            return {};
        }
        const Sweep &s = file->frames.back();
        return analysis::ComputeStepFigures(s.seconds, s.Channel(2).values, &s.Channel(1).values);
    }
    // The bandwidth of a first-order loop with this rise time.
    static double BandwidthOfRise(double rise) { return std::log(9.0) / (2 * kPi * rise); }
};

TEST_F(CliSweep, TheStepResponseFollowsTheTuningFormulasBandwidth)
{
    auto sim = Start({"--step", "100,400"});
    // The integrator, the filters and the current loop far above the bandwidth: the loop answers
    // as a first-order one with the formulas' bandwidth, rise time ln 9 / (2 pi BW).
    const std::vector<std::pair<const char *, const char *>> proportional = {
        {"Kvi", "0"}, {"ARF0", "10000000"}, {"ARF1", "10000000"}, {"Kip", "10780"}};
    const analysis::StepFigures slow = StepResponse(20, proportional, dir.File("bw20.csv"));
    const analysis::StepFigures fast = StepResponse(40, proportional, dir.File("bw40.csv"));
    ASSERT_TRUE(slow.isStep) << slow.notAStep;
    ASSERT_TRUE(fast.isStep) << fast.notAStep;
    EXPECT_LT(fast.riseTime, slow.riseTime);
    // Within 6 % of the formulas' bandwidth: the drive's sampling lags and the current loop, left
    // in the loop, take a little phase and shorten the rise a little (20.5 Hz and 41.8 Hz measured).
    EXPECT_NEAR(BandwidthOfRise(slow.riseTime), 20, 20 * 0.06) << slow.riseTime;
    EXPECT_NEAR(BandwidthOfRise(fast.riseTime), 40, 40 * 0.06) << fast.riseTime;
    EXPECT_LT(slow.overshootPercent, 1);
    EXPECT_NEAR(slow.finalValue, 100, 1) << "no integrator: the load takes no torque, so no error is left";

    // The tuning wizard's Default settings: the integrator and the filters' lag make the loop
    // rise faster than that and overshoot, still faster with more gain.
    const std::vector<std::pair<const char *, const char *>> defaults = {
        {"Kvi", "5"}, {"ARF0", "150"}, {"ARF1", "750"}, {"Kip", "20"}};
    const analysis::StepFigures gentle = StepResponse(15, defaults, dir.File("bw15.csv"));
    const analysis::StepFigures stiff = StepResponse(30, defaults, dir.File("bw30.csv"));
    ASSERT_TRUE(gentle.isStep && stiff.isStep);
    EXPECT_LT(stiff.riseTime, gentle.riseTime * 0.7);
    EXPECT_GT(gentle.overshootPercent, 5);
    EXPECT_GT(stiff.overshootPercent, 5);

    // The command prints the same figures.
    const CliResult r = Run({"sweep", dir.File("bw30.csv")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find(dir.File("bw30.csv") + ", frame 1 of 1: 100 samples, 1 ms per sample\n"
                                                "Step figures of Ch2 Velocity Feedback (Rpm) against Ch1 Velocity "
                                                "Command as command\nStep at: 0 ms\nInitial value: 0 Rpm\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Rise time (10-90 %): "), std::string::npos);
    EXPECT_NE(r.out.find("Steady-state error: "), std::string::npos);
}

TEST_F(CliSweep, FilesWithNoStepOrNoSweepAreSaidSo)
{
    // A first-order step of 5 ms against a command, and a ramp.
    Sweep step, ramp;
    for (int i = 0; i < 100; ++i) {
        const double t = i * 0.001;
        step.seconds.push_back(t);
        step.channels[0].values.push_back(i < 10 ? 0 : 200);
        step.channels[1].values.push_back(i < 10 ? 0 : 200 * (1 - std::exp(-(t - 0.010) / 0.005)));
        ramp.seconds.push_back(t);
        ramp.channels[0].values.push_back(t * 1000);
        ramp.channels[1].values.push_back(t * 1000);
    }
    step.channels[0].signal = "Velocity Command";
    step.channels[1].signal = "Velocity Feedback";
    step.channels[0].unit = step.channels[1].unit = "Rpm";
    step.timebaseMs = 1;
    std::string error;
    ASSERT_TRUE(analysis::WriteSweepFile(dir.File("step.csv"), step, {}, {}, error));
    ASSERT_TRUE(analysis::WriteSweepFile(dir.File("ramp.csv"), ramp, {}, {}, error));

    CliResult r = Run({"--quiet", "sweep", dir.File("step.csv")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Step at: 10 ms\nInitial value: 0 Rpm\nFinal value: 200 Rpm\nRise time (10-90 %): 10.99 ms\n", 0),
              0u)
        << r.out;
    r = Run({"sweep", dir.File("step.csv"), "--channel", "1", "--own-levels"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("against its own start and end levels\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Steady-state error: needs a command\n"), std::string::npos) << r.out;

    r = Run({"sweep", dir.File("ramp.csv"), "--own-levels"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.out.find("Not a step: it still moves by "), std::string::npos) << r.out;

    testutil::WriteText(dir.File("cfg.csv"), "Model=733\nKvp=1\n");
    for (const std::string &file : {dir.File("cfg.csv"), dir.File("missing.csv")}) {
        r = Run({"sweep", file});
        EXPECT_EQ(r.rc, 2) << file;
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
    }
    r = Run({"sweep", dir.File("step.csv"), "--frame", "2"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_EQ(r.err, dir.File("step.csv") + " holds frame 1; there is no frame 2\n");
    EXPECT_EQ(Run({"sweep", dir.File("step.csv"), "--channel", "3"}).rc, 2);
    EXPECT_EQ(Run({"sweep", dir.File("step.csv"), "--channel", "1", "--command", "1"}).rc, 2);
    EXPECT_EQ(Run({"sweep"}).rc, 2);
}

} // namespace
