// The tuning wizard's formulas and rules without its window: the conversions between Kvp and
// bandwidth, the phase margin, the roundings, the evaluation of edits and slider, the indicator
// panels, and on line against the drive simulator the reads, Apply's writes and the NV save.
#include "OnlineSim.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/common/Error.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/config/StatusText.h"
#include "tools700/tuning/TuningWizard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace tools700;
using namespace tools700::tuning;

namespace {

// A motor of the built-in table with all three data the wizard needs.
std::string TunableMotor()
{
    for (const std::string &m : MotorNames(false, 320))
        if (mdb_Ke(m.c_str()) > 0 && mdb_Inertia(m.c_str()) > 0 && mdb_Inductance(m.c_str()) > 0)
            return m;
    ADD_FAILURE() << "no motor with Ke, inertia and inductance";
    return "";
}

// A wizard whose motor data are set directly.
struct Bench {
    ScriptedMessages messages;
    TuningWizard w{messages};
    Bench(double ke, double inertia)
    {
        w.Ke = ke;
        w.Inertia = inertia;
        w.Inductance = 0.01;
        w.Kvi = 5;
        w.ARF0 = 150;
        w.ARF1 = 750;
        w.Kip = 10 * kTwoPi;
    }
    void Type(EditField f, const std::string &text)
    {
        EditTexts t = w.Texts();
        t[f] = text;
        w.KeyPress(f);
        w.Evaluate(t);
    }
};

} // namespace

TEST(TuningFormulas, BandwidthAndKvpConvertBothWays)
{
    const double bw = BandwidthFromKvp(0.5, 0.5, 0.0001, 1);
    EXPECT_NEAR(bw, 0.5 * 0.5 * 0.866025 / (6.283185307 * 2 * 0.0001), 1e-6);
    EXPECT_NEAR(bw, 172.3, 0.05);
    EXPECT_NEAR(KvpFromBandwidth(bw, 0.5, 0.0001, 1), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(BandwidthFromKvp(1, 1, 1, 0), 0.866025 * 0.15915494309644431);
    EXPECT_DOUBLE_EQ(KvpFromBandwidth(1, 1, 1, 0), 6.283185307 / 0.866025);
}

TEST(TuningFormulas, PhaseMargin)
{
    const double deg = 57.29577951471995;
    LoopSettings loop{5, 150, 750, 0, 0, 0, 0.01};
    const double bw = 75;
    const double terms = deg * (std::atan(5 / bw) + std::atan(bw / 150) + std::atan(bw / 750) + 2 * std::atan(bw / 1500));
    EXPECT_NEAR(PhaseMargin(bw, loop), 90 - terms - 90, 1e-9);
    // The off-line current loop: Kip = 2 pi x 10 (mH) with 0.01 H gives atan(BW / 1000).
    loop.Kip = 10 * 6.283185307;
    EXPECT_NEAR(PhaseMargin(bw, loop), 90 - terms - deg * std::atan(bw / 1000), 1e-9);
    // Zeros give phase back.
    loop.ARZ0 = 300;
    loop.ARZ1 = 900;
    EXPECT_NEAR(PhaseMargin(bw, loop),
                90 - terms + deg * (std::atan(bw / 300) + std::atan(bw / 900)) - deg * std::atan(bw / 1000), 1e-9);
}

TEST(TuningFormulas, RoundingsAndTexts)
{
    EXPECT_EQ(UpToText(2.341, 2), "2.35");
    EXPECT_EQ(UpToText(2.35, 2), "2.35") << "a value on the grid is not pushed up by its binary form";
    EXPECT_EQ(UpToText(1, 2), "1");
    EXPECT_EQ(UpToText(172.3011, 1), "172.4");
    EXPECT_EQ(UpToText(-12.345, 2), "-12.34");
    EXPECT_EQ(KvpText(0.12345), "0.123");
    EXPECT_EQ(KvpText(0.0125), "0.013") << "halves up";
    EXPECT_EQ(KvpText(1.0005), "1.001");
    EXPECT_EQ(HalfUp(204.5), 205);
    EXPECT_EQ(HalfUp(204.49), 204);
    EXPECT_EQ(GeneralText(1e7), "10000000");
    EXPECT_EQ(GeneralText(0.1 + 0.2), "0.3");
    EXPECT_EQ(GeneralText(2.5, ','), "2,5");
    EXPECT_EQ(NumberOf("2,5", ','), 2.5);
    try {
        NumberOf("12a");
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
    EXPECT_EQ(DriveName(1745), "SVE745");
    EXPECT_EQ(DriveName(732), "SV732");
}

TEST(TuningRules, OfflineStartUsesTheMotorDatabase)
{
    const std::string motor = TunableMotor();
    ScriptedMessages messages;
    TuningWizard w(messages);
    w.TuningMode = kOffline;
    w.MotorName = motor;
    w.DriveText = "SV733";
    ASSERT_EQ(w.LoadTuningData(), 0);
    const double mh = mdb_Inductance(motor.c_str());
    EXPECT_EQ(w.Ke, mdb_Ke(motor.c_str()));
    EXPECT_EQ(w.Inertia, mdb_Inertia(motor.c_str()));
    EXPECT_DOUBLE_EQ(w.Inductance, mh / 1000);
    w.Activate(2.5);
    EXPECT_DOUBLE_EQ(w.Kip, mh * 6.283185307);
    EXPECT_EQ(w.PendingEdit, kEditSlider);
    const TuningView &v = w.View();
    EXPECT_FALSE(v.applyVisible);
    EXPECT_EQ(v.drive, "SV733");
    EXPECT_EQ(v.motor, motor);
    EXPECT_EQ(v.edit[kFieldInertiaRatio], "2.5");
    EXPECT_EQ(v.edit[kFieldKvi], "5");
    EXPECT_EQ(v.edit[kFieldARF0], "150");
    EXPECT_EQ(v.edit[kFieldARF1], "750");
    w.Evaluate(w.Texts());
    EXPECT_EQ(w.BW, 75);
    EXPECT_EQ(v.bandwidthReader, "75");
    EXPECT_DOUBLE_EQ(w.Kvp, KvpFromBandwidth(75, w.Ke, w.Inertia, 2.5));
    EXPECT_EQ(v.edit[kFieldKvp], KvpText(w.Kvp));
    EXPECT_TRUE(v.phaseVisible);
    EXPECT_EQ(v.phaseValue, UpToText(PhaseMargin(75, w.Loop()), 2));
    EXPECT_NEAR(PhaseMargin(75, w.Loop()),
                90 - 57.29577951471995 * (std::atan(5 / 75.0) + std::atan(0.5) + std::atan(0.1) + 2 * std::atan(0.05) +
                                          std::atan(0.075)),
                1e-9);

    // Off line there is no Apply: Close asks nothing and hands the ratio back.
    Session session;
    EditTexts t = w.Texts();
    t[kFieldInertiaRatio] = "3.5";
    w.KeyPress(kFieldInertiaRatio);
    w.Evaluate(t);
    w.Close(t, session);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(session.InertiaRatio, 3.5);
}

TEST(TuningRules, MotorDataOfZeroStopsTheStart)
{
    ScriptedMessages messages;
    TuningWizard w(messages);
    w.TuningMode = kOffline;
    w.MotorName = "NO-SUCH-MOTOR";
    EXPECT_EQ(w.LoadTuningData(), 11);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Ke is 0, please check the motor database."});
}

TEST(TuningRules, TheKvpPathKeepsTheSliderUpTo205AndTheRatioPathBelow200)
{
    Bench b(0.5, 0.0001);
    b.w.JR = 3;
    // A Kvp whose bandwidth at ratio 3 lies between 200 and 205.
    const double kvp = KvpFromBandwidth(202, 0.5, 0.0001, 3);
    b.Type(kFieldKvp, GeneralText(kvp));
    EXPECT_TRUE(b.w.View().sliderVisible);
    EXPECT_FALSE(b.w.View().outOfSliderRange);
    EXPECT_EQ(b.w.BW, 202) << "rounded to the nearest integer";
    EXPECT_EQ(b.w.View().bandwidthReader, "202");
    EXPECT_TRUE(b.w.View().applyEnabled);
    // Exactly at 205 it stays, above it the slider goes.
    double at205 = 205 * 4 * 0.0001 / (0.5 * kCos30 * kInvTwoPi);
    while (BandwidthFromKvp(at205, 0.5, 0.0001, 3) > 205)
        at205 = std::nextafter(at205, 0.0);
    b.w.Kvp = at205;
    b.w.PendingEdit = kFirstOnline;
    EditTexts t = b.w.Texts();
    char exact[40];
    std::snprintf(exact, sizeof exact, "%.17g", at205);
    t[kFieldKvp] = exact;
    b.w.Evaluate(t);
    EXPECT_TRUE(b.w.View().sliderVisible);
    EXPECT_EQ(b.w.BW, 205);
    b.Type(kFieldKvp, GeneralText(KvpFromBandwidth(206, 0.5, 0.0001, 3)));
    EXPECT_FALSE(b.w.View().sliderVisible);
    EXPECT_TRUE(b.w.View().outOfSliderRange);

    // The same Kvp reached by an inertia-ratio edit: 200 Hz or more hides the slider.
    Bench r(0.5, 0.0001);
    r.w.JR = 1;
    double kvp200 = 200 * 4 * 0.0001 / (0.5 * kCos30 * kInvTwoPi);
    while (BandwidthFromKvp(kvp200, 0.5, 0.0001, 3) < 200)
        kvp200 = std::nextafter(kvp200, 1.0);
    r.w.Kvp = kvp200;
    r.Type(kFieldInertiaRatio, "3");
    EXPECT_EQ(r.w.JR, 3);
    EXPECT_NEAR(r.w.BW, 200, 1e-9);
    EXPECT_FALSE(r.w.View().sliderVisible);
    EXPECT_TRUE(r.w.View().outOfSliderRange);
    EXPECT_EQ(r.w.View().bandwidthReader, "200");
    // Just below 200 it is shown, with the bandwidth as it is.
    r.w.Kvp = KvpFromBandwidth(150.25, 0.5, 0.0001, 3);
    r.Type(kFieldInertiaRatio, "3");
    EXPECT_TRUE(r.w.View().sliderVisible);
    EXPECT_NEAR(r.w.View().sliderValue, 150.25, 1e-6);
    EXPECT_EQ(r.w.View().bandwidthReader, "150.3");
}

TEST(TuningRules, OutOfRangeEntriesWarnAndAreNotTaken)
{
    Bench b(0.5, 0.0001);
    b.w.Kvp = 0.5;
    b.Type(kFieldKvp, "0.6");
    ASSERT_TRUE(b.w.View().applyEnabled);
    b.Type(kFieldKvp, "378.5");
    EXPECT_EQ(b.messages.texts().back(), "Kvp is out of range");
    EXPECT_EQ(b.messages.shown().back().kind, BoxKind::Warning);
    EXPECT_EQ(b.w.Kvp, 0.6);
    EXPECT_FALSE(b.w.View().applyEnabled);
    EXPECT_FALSE(b.w.View().sliderVisible);
    EXPECT_TRUE(b.w.View().outOfSliderRange);
    EXPECT_EQ(b.w.View().bandwidthReader, "");
    b.Type(kFieldInertiaRatio, "-0.1");
    EXPECT_EQ(b.messages.texts().back(), "Inertia Ratio is out of range");
    b.Type(kFieldKvi, "636.7");
    EXPECT_EQ(b.messages.texts().back(), "Kvi is out of range");
    EXPECT_EQ(b.w.Kvi, 5);
    b.Type(kFieldARF0, "0.001");
    EXPECT_EQ(b.messages.texts().back(), "ARF0 is out of range");
    b.Type(kFieldARF1, "1e8");
    EXPECT_EQ(b.messages.texts().back(), "ARF1 is out of range");
    const std::size_t warnings = b.messages.shown().size();
    // The bounds themselves are taken; an empty edit changes nothing.
    b.Type(kFieldKvi, "636.6");
    EXPECT_EQ(b.w.Kvi, 636.6);
    b.Type(kFieldARF0, "");
    EXPECT_EQ(b.w.ARF0, 150);
    EXPECT_EQ(b.messages.shown().size(), warnings);
    // A text that is no number raises the conversion error and changes nothing.
    EXPECT_THROW(b.Type(kFieldARF1, "fast"), Error);
    EXPECT_EQ(b.w.ARF1, 750);
}

TEST(TuningRules, IndicatorPanels)
{
    Bench b(0.5, 0.0001);
    auto slide = [&](double bw) {
        b.w.SliderChanged(bw);
        ASSERT_TRUE(b.w.SliderReleased());
        b.w.Evaluate(b.w.Texts());
    };
    slide(3);
    EXPECT_TRUE(b.w.View().kvpTooLow);
    EXPECT_FALSE(b.w.View().kvpTooHigh);
    EXPECT_TRUE(b.w.View().applyEnabled);
    slide(160);
    EXPECT_FALSE(b.w.View().kvpTooLow);
    EXPECT_TRUE(b.w.View().kvpTooHigh);
    // Kvi equal to the bandwidth, below both filters: the panels stay as they were.
    slide(5);
    EXPECT_FALSE(b.w.View().kvpTooLow);
    EXPECT_TRUE(b.w.View().kvpTooHigh);
    slide(75);
    EXPECT_FALSE(b.w.View().kvpTooLow);
    EXPECT_FALSE(b.w.View().kvpTooHigh);
    EXPECT_TRUE(b.w.View().phaseVisible);
    EXPECT_EQ(b.w.View().phaseValue, UpToText(PhaseMargin(75, b.w.Loop()), 2));
    // Letting go of the slider without moving it asks for nothing.
    EXPECT_FALSE(b.w.SliderReleased());
    // Default: the loop's defaults and 75 Hz; Apply keeps its state.
    b.Type(kFieldKvi, "20");
    b.w.Default();
    EXPECT_EQ(b.w.View().edit[kFieldKvi], "5");
    EXPECT_EQ(b.w.View().edit[kFieldARF0], "150");
    EXPECT_EQ(b.w.View().edit[kFieldARF1], "750");
    EXPECT_EQ(b.w.PendingEdit, kEditSlider);
    b.w.Evaluate(b.w.Texts());
    EXPECT_EQ(b.w.BW, 75);
    EXPECT_EQ(b.w.Kvi, 5);
    EXPECT_TRUE(b.w.View().applyEnabled);
}

class TuningOnline : public testutil::OnlineSimTest {
protected:
    // drivesim with a motor of the database in Motor1/Motor2 and known gains.
    std::unique_ptr<testutil::SimProcess> Drive(const std::string &motor)
    {
        auto sim = Start({"--model", "1745", "--configured", "--serial-control"});
        EXPECT_EQ(PutVar700("Motor1", PackMotorName(motor, 0)), 0);
        EXPECT_EQ(PutVar700("Motor2", PackMotorName(motor, 1)), 0);
        const std::pair<const char *, double> gains[] = {{"Kvp", 0.1}, {"Kvi", 4}, {"ARF0", 200}, {"ARF1", 800}};
        for (const auto &[name, value] : gains)
            EXPECT_EQ(PutVar700(name, value), 0) << name;
        sim->ClearTrace();
        return sim;
    }

    static std::vector<std::string> Names(const testutil::SimProcess &sim, const std::string &command)
    {
        std::vector<std::string> out;
        for (const testutil::TraceLine &t : sim.Trace())
            if (t.command.rfind(command, 0) == 0)
                out.push_back(t.name + (command == "PUT" ? " " + t.value : ""));
        return out;
    }
};


TEST_F(TuningOnline, LoadsTheDriveAppliesInOrderAndSavesInNvram)
{
    const std::string motor = TunableMotor();
    auto sim = Drive(motor);
    ScriptedMessages messages({Answer::Yes, Answer::Yes, Answer::Ok});
    TuningWizard w(messages);
    w.TuningMode = kOnline;
    ASSERT_EQ(w.LoadTuningData(), 0) << (messages.texts().empty() ? "" : messages.texts()[0]);
    const std::vector<std::string> loads = Names(*sim, "GET");
    const std::vector<std::string> expected{"Model", "Motor1", "Motor2", "Kvp", "Kvi", "ARF0", "ARF1", "ARZ0", "ARZ1", "Kip"};
    ASSERT_EQ(loads.size(), expected.size());
    for (std::size_t i = 0; i < loads.size(); ++i)
        EXPECT_TRUE(testutil::SameName(loads[i], expected[i])) << loads[i];
    EXPECT_EQ(w.MotorName, motor);
    EXPECT_NEAR(w.Kvp, 0.1, 1e-7);
    EXPECT_DOUBLE_EQ(w.Inductance, mdb_Inductance(motor.c_str()) / 1000);

    w.Activate(1.5);
    const TuningView &v = w.View();
    EXPECT_EQ(v.drive, "SVE745");
    EXPECT_EQ(v.motor, motor);
    EXPECT_TRUE(v.applyVisible);
    EXPECT_FALSE(v.applyEnabled);
    EXPECT_EQ(v.edit[kFieldKvp], "0.1");
    EXPECT_EQ(v.edit[kFieldKvi], "4");
    EXPECT_EQ(w.PendingEdit, kFirstOnline);
    w.Evaluate(w.Texts());
    ASSERT_LE(BandwidthFromKvp(0.1, w.Ke, w.Inertia, 1.5), 205) << "a motor for which 0.1 keeps the slider";
    EXPECT_EQ(w.BW, HalfUp(BandwidthFromKvp(0.1, w.Ke, w.Inertia, 1.5)));
    EXPECT_TRUE(v.sliderVisible);
    EXPECT_FALSE(v.applyEnabled) << "the first evaluation leaves Apply as it is";

    EditTexts t = w.Texts();
    t[kFieldKvp] = "0.3";
    t[kFieldKvi] = "6";
    t[kFieldARF1] = "900.5";
    sim->ClearTrace();
    ASSERT_TRUE(w.Apply(t));
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(messages.texts()[0], "Applying the your adjustment will change the parameters in drive.\n"
                                   "--------From --> To-------- \n"
                                   "Kvp  0.1-->0.3\n"
                                   "Kvi   4-->6\n"
                                   "ARF0  200-->200\n"
                                   "ARF1  800-->900.5\n"
                                   "and the drive will be disabled.  Would you like to do it now?");
    std::vector<std::string> writes = Names(*sim, "PUT");
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_TRUE(testutil::SameName(writes[0].substr(0, 7), "Enable "));
    const char *order[] = {"Enable", "Kvi", "Kvp", "ARF0", "ARF1"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(testutil::SameName(writes[i].substr(0, writes[i].find(' ')), order[i])) << writes[i];
    double kvp = 0, arf1 = 0;
    EXPECT_EQ(GetVar700("Kvp", &kvp), 0);
    EXPECT_EQ(GetVar700("ARF1", &arf1), 0);
    EXPECT_NEAR(kvp, 0.3, 1e-6);
    EXPECT_NEAR(arf1, 900.5, 1e-3);
    EXPECT_TRUE(w.Applied);
    EXPECT_FALSE(v.applyEnabled);

    // Close: nothing left to apply, the NV save asked and run with the monitor suspended.
    Session session;
    std::vector<bool> polling;
    session.SetStatusPolling([&](bool on) { polling.push_back(on); });
    std::vector<int> waits;
    sim->ClearTrace();
    w.Close(t, session, [&](int ms) { waits.push_back(ms); });
    ASSERT_EQ(messages.texts().size(), 3u);
    EXPECT_EQ(messages.texts()[1], "Would you like to save the change in NVRAM?");
    EXPECT_EQ(messages.texts()[2], "NVSave is successful");
    EXPECT_EQ(messages.shown()[2].kind, BoxKind::Warning);
    EXPECT_EQ(polling, (std::vector<bool>{false, true}));
    EXPECT_EQ(waits, (std::vector<int>{0, 1000}));
    EXPECT_EQ(session.InertiaRatio, 1.5);
    bool saved = false;
    for (const testutil::TraceLine &line : sim->Trace())
        saved = saved || testutil::SameName(line.name, "NVSave");
    EXPECT_TRUE(saved) << "NVSave in the drive's trace";
}

TEST_F(TuningOnline, ApplyAnsweredNoWritesNothingAndAnUnsavedChangeIsOfferedAtClose)
{
    auto sim = Drive(TunableMotor());
    ScriptedMessages messages({Answer::No, Answer::No});
    TuningWizard w(messages);
    w.TuningMode = kOnline;
    ASSERT_EQ(w.LoadTuningData(), 0);
    w.Activate(1);
    w.Evaluate(w.Texts());
    EditTexts t = w.Texts();
    t[kFieldKvp] = "0.4";
    w.KeyPress(kFieldKvp);
    w.Evaluate(t);
    ASSERT_TRUE(w.View().applyEnabled);
    sim->ClearTrace();
    Session session;
    w.Close(t, session);
    // "apply the last change?" No: nothing written, no NV question.
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Would you like to apply the last change?"});
    EXPECT_TRUE(Names(*sim, "PUT").empty());
    EXPECT_FALSE(w.Applied);
    // Apply refuses a bad entry before it reads the drive.
    t[kFieldARF0] = "0";
    EXPECT_FALSE(w.Apply(t));
    EXPECT_EQ(messages.texts().back(), "ARF0 is out of range");
    EXPECT_EQ(w.Kvp, 0.4) << "entries before the bad one are taken";
    EXPECT_TRUE(sim->Trace().empty());
}

TEST_F(TuningOnline, ASilentDriveStopsTheStartWithTheStatusText)
{
    auto sim = Start({"--model", "733"});
    sim->Stop();
    ScriptedMessages messages;
    TuningWizard w(messages);
    w.TuningMode = kOnline;
    EXPECT_EQ(w.LoadTuningData(), 1);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], StatusText(NO_RESPONSE));
    // The same for Apply's read of the drive's gains.
    EXPECT_THROW(ReadGains(), Error);
}

TEST(TuningChoice, FieldbusDrivesOfferOnlyHighVoltageMotors)
{
    const std::vector<std::string> all = MotorNames(false, BusClassOf("SV732"));
    const std::vector<std::string> high = MotorNames(false, BusClassOf("SVE745"));
    EXPECT_EQ(BusClassOf("SVE745"), 640);
    EXPECT_LT(high.size(), all.size());
    EXPECT_FALSE(high.empty());
    for (const std::string &m : high)
        EXPECT_GE(mdb_MaxVBus(m.c_str()), 640) << m;
    EXPECT_EQ(MotorNames(true, 640), all);
}
