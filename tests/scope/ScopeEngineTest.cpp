// The scope engine without a thread: frames drawn into a chart that keeps its points, the
// history ring and Scope.log, the settings loaded and saved, the channels' signal table.
#include "tools700/dictionary/Enums.h"
#include "tools700/scope/ScopeStore.h"
#include "tools700/scope/TScope.h"

#include "../common/CommaLocale.h"
#include "../config/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace tools700::scope;

namespace {

class ScopeEngineTest : public ::testing::Test {
protected:
    // One frame of n pairs: channel 1 all `ch1`, channel 2 all `ch2`.
    void Frame(TScope &scope, int n, double ch1, double ch2)
    {
        std::vector<double> a(static_cast<std::size_t>(n), ch1), b(static_cast<std::size_t>(n), ch2);
        scope.ProcessFrame(a.data(), b.data(), n);
    }
    std::string Dir() const { return dir.Path().string() + "/"; }

    testsupport::TempDir dir;
    PointChart chart;
};

TEST_F(ScopeEngineTest, AFrameOfNoPairsDrawsAndKeepsNothing)
{
    TScope scope(chart, nullptr, Dir());
    Frame(scope, 0, 1, 1);
    EXPECT_EQ(chart.Redraws(), 0);
    EXPECT_TRUE(scope.History().empty());
    EXPECT_EQ(scope.WritePosition(), 0);
}

TEST_F(ScopeEngineTest, ScaleAndOffsetTurnSamplesIntoDivisions)
{
    TScope scope(chart, nullptr, Dir());
    scope.SetSource(1, "Velocity Feedback");
    scope.SetScale(1, 2);
    scope.SetOffset(1, 1);
    scope.SetTimebase(2);
    std::vector<double> a(100, 3.0), b(100, -4.0);
    scope.ProcessFrame(a.data(), b.data(), 100);
    // (3 + 1) / 2; channel 2 keeps scale 1 and offset 0. Converted in place in the buffers.
    EXPECT_DOUBLE_EQ(a[0], 2.0);
    EXPECT_FLOAT_EQ(chart.GetYData(0, 99), 2.0f);
    EXPECT_FLOAT_EQ(chart.GetYData(1, 0), -4.0f);
    // Point i at Timebase x i milliseconds, in seconds; the axis ends at 100 periods.
    EXPECT_FLOAT_EQ(chart.GetXData(0, 50), 0.1f);
    EXPECT_FLOAT_EQ(chart.GetXData(1, 99), 0.198f);
    EXPECT_DOUBLE_EQ(chart.ManualMaxX(), 0.2);
    EXPECT_EQ(chart.Redraws(), 1);
    ASSERT_EQ(scope.History().size(), 100u);
    EXPECT_DOUBLE_EQ(scope.History()[0].ch1, 2.0);
    // The scale and offset are the signal's: another signal on the channel has its own.
    scope.SetSource(1, "VBus");
    EXPECT_DOUBLE_EQ(scope.Scale(1), 1.0);
    scope.SetSource(1, "velocity feedback");
    EXPECT_DOUBLE_EQ(scope.Scale(1), 2.0);
    EXPECT_EQ(scope.SourceName(1), "Velocity Feedback");
}

TEST_F(ScopeEngineTest, TenFullFramesLeaveTheNewestNineInTheLogAndASecondCloseAnEmptyOne)
{
    TScope scope(chart, nullptr, Dir());
    for (int f = 1; f <= 10; ++f)
        Frame(scope, 100, f, -f * 0.5);
    EXPECT_EQ(scope.History().size(), 900u);
    scope.SaveSettings(nullptr);
    const std::string log = testutil::ReadText(Dir() + "Scope.log");
    std::string expected;
    for (int f = 1; f <= 9; ++f) {
        expected += "*** frame " + std::to_string(f) + " ***\n";
        char line[64];
        std::snprintf(line, sizeof line, "%8.3f %8.3f\n", f + 1.0, -(f + 1) * 0.5);
        for (int i = 0; i < 100; ++i)
            expected += line;
        expected += "\n\n";
    }
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(scope.History().empty());
    scope.SaveSettings(nullptr);
    EXPECT_EQ(testutil::ReadText(Dir() + "Scope.log"), "");
}

TEST_F(ScopeEngineTest, ShortFramesOfASweepNeverRunPastTheRing)
{
    TScope scope(chart, nullptr, Dir());
    // 30 + 60 + 100 pairs, eight times over: the write position leaves the frame boundaries.
    for (int round = 0; round < 8; ++round) {
        Frame(scope, 30, 1, 1);
        Frame(scope, 60, 2, 2);
        Frame(scope, 100, 3, 3);
        ASSERT_GE(scope.WritePosition(), 0);
        ASSERT_LT(scope.WritePosition(), kHistorySize);
        ASSERT_LT(scope.History().size(), static_cast<std::size_t>(kHistorySize));
    }
    const std::vector<HistoryEntry> before = scope.History();
    ASSERT_FALSE(before.empty());
    EXPECT_DOUBLE_EQ(before.back().ch1, 3.0);
    // The log ends at the newest pair and holds every pair of the history once.
    ASSERT_TRUE(scope.WriteLog());
    const std::string log = testutil::ReadText(Dir() + "Scope.log");
    std::size_t lines = 0, headers = 0;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("*** frame", 0) == 0)
            ++headers;
        else if (!line.empty())
            ++lines;
    }
    EXPECT_EQ(lines, before.size());
    EXPECT_EQ(headers, (before.size() + 99) / 100);
    EXPECT_EQ(scope.ReadPosition(), scope.WritePosition());
}

TEST_F(ScopeEngineTest, NoSettingsGiveTheDefaults)
{
    MemoryScopeStore empty;
    for (ScopeStore *store : {static_cast<ScopeStore *>(nullptr), static_cast<ScopeStore *>(&empty)}) {
        TScope scope(chart, store, Dir());
        EXPECT_DOUBLE_EQ(scope.Timebase(), 1.0);
        EXPECT_EQ(scope.TriggerSource(), 0);
        EXPECT_DOUBLE_EQ(scope.TriggerLevel(), 0.0);
        EXPECT_EQ(scope.PreTrigger(), 0);
        for (int ch : {1, 2}) {
            EXPECT_EQ(scope.SourceName(ch), "Analog Input");
            EXPECT_EQ(scope.SourceUnits(ch), "Volts");
            for (const SignalRecord &s : kSignalTable) {
                scope.SetSource(ch, s.name);
                EXPECT_DOUBLE_EQ(scope.Scale(ch), 1.0);
                EXPECT_DOUBLE_EQ(scope.Offset(ch), 0.0);
            }
        }
        const AcquisitionParams p = scope.GetAcquisitionParams();
        EXPECT_EQ(p.timebase, 1);
        EXPECT_EQ(p.ch1Signal, 21); // VW, the last source set above
    }
}

TEST_F(ScopeEngineTest, SettingsComeBackAfterAClose)
{
    MemoryScopeStore store;
    {
        TScope scope(chart, &store, Dir());
        scope.SetSource(1, "Velocity Feedback");
        scope.SetScale(1, 250);
        scope.SetOffset(1, -10.5);
        scope.SetSource(2, "Current Command");
        scope.SetScale(2, 0.5);
        scope.SetTimebase(20);
        scope.SetTriggerSource(kCh2Falling);
        scope.SetTriggerLevel(0.1);
        scope.SaveSettings(&store);
    }
    // Doubles keep their 8 raw bytes.
    EXPECT_EQ(DoubleFromBytes(DoubleBytes(0.1)).value(), 0.1);
    EXPECT_EQ(store.ReadDouble("", "TriggerLevel").value(), 0.1);
    EXPECT_EQ(store.ReadText("ch1", "Source").value(), "Velocity Feedback");
    EXPECT_EQ(store.ReadDouble("ch1/Velocity Feedback", "M").value(), 250.0);
    EXPECT_TRUE(store.Has("ch2/VW (voltage in phase W)", "B"));

    TScope again(chart, &store, Dir());
    EXPECT_EQ(again.SourceName(1), "Velocity Feedback");
    EXPECT_DOUBLE_EQ(again.Scale(1), 250);
    EXPECT_DOUBLE_EQ(again.Offset(1), -10.5);
    EXPECT_EQ(again.SourceName(2), "Current Command");
    EXPECT_DOUBLE_EQ(again.Scale(2), 0.5);
    EXPECT_DOUBLE_EQ(again.Timebase(), 20);
    EXPECT_EQ(again.TriggerSource(), kCh2Falling);
    const AcquisitionParams p = again.GetAcquisitionParams();
    EXPECT_EQ(p.timebase, 20);
    EXPECT_EQ(p.triggerSource, kCh2Falling);
    EXPECT_FLOAT_EQ(p.triggerLevel, 0.1f);
    EXPECT_EQ(p.ch1Signal, 1);
    EXPECT_EQ(p.ch2Signal, 8);
}

TEST_F(ScopeEngineTest, LoadingStopsAtTheFirstValueMissing)
{
    MemoryScopeStore store;
    store.WriteDouble("", "TriggerLevel", 3.5);
    // No TriggerSource: Timebase and PreTrigger keep their defaults although they are stored.
    store.WriteDouble("", "Timebase", 50);
    store.WriteInt("", "PreTrigger", 7);
    // Channel 1: the first signal's scale and offset, the second's scale only; the source too.
    store.WriteDouble("ch1/Analog Input", "M", 4);
    store.WriteDouble("ch1/Analog Input", "B", 1);
    store.WriteDouble("ch1/Analog Output", "M", 5);
    store.WriteText("ch1", "Source", "Analog Output");
    // A value of the wrong type counts as missing.
    store.WriteText("ch2/Analog Input", "M", "2");
    TScope scope(chart, &store, Dir());
    EXPECT_DOUBLE_EQ(scope.TriggerLevel(), 3.5);
    EXPECT_DOUBLE_EQ(scope.Timebase(), 1);
    EXPECT_EQ(scope.PreTrigger(), 0);
    EXPECT_EQ(scope.SourceName(1), "Analog Input");
    EXPECT_DOUBLE_EQ(scope.Scale(1), 4);
    EXPECT_DOUBLE_EQ(scope.Offset(1), 1);
    scope.SetSource(1, "Analog Output");
    EXPECT_DOUBLE_EQ(scope.Scale(1), 5);
    EXPECT_DOUBLE_EQ(scope.Scale(2), 1);
}

TEST_F(ScopeEngineTest, AStoredSourceThatIsNoSignalSelectsAnalogInput)
{
    MemoryScopeStore store;
    {
        TScope scope(chart, &store, Dir());
        scope.SetSource(2, "VBus");
        scope.SaveSettings(&store);
    }
    store.WriteText("ch2", "Source", "Warp Drive Flux");
    TScope scope(chart, &store, Dir());
    EXPECT_EQ(scope.SourceName(2), "Analog Input");
    EXPECT_EQ(scope.Channel(2).FindSignal("no such").code, 10);
    EXPECT_EQ(scope.Channel(2).FindSignal("VBUS").code, 22);
}

TEST_F(ScopeEngineTest, AStoredTimebaseOutOfRangeIsSentAsAWord)
{
    MemoryScopeStore store;
    store.WriteDouble("", "TriggerLevel", 0);
    store.WriteInt("", "TriggerSource", 0);
    store.WriteDouble("", "Timebase", 1e12);
    TScope scope(chart, &store, Dir());
    EXPECT_EQ(scope.GetAcquisitionParams().timebase, 65535);
    scope.SetTimebase(-3);
    EXPECT_EQ(scope.GetAcquisitionParams().timebase, 0);
    EXPECT_EQ(TimebaseIndex(1e12), 0);
    EXPECT_EQ(TimebaseIndex(20), 4);
}

TEST_F(ScopeEngineTest, TheLogIsSkippedWhenItsFolderIsMissing)
{
    TScope scope(chart, nullptr, Dir() + "no-such-folder/");
    Frame(scope, 100, 1, 1);
    EXPECT_FALSE(scope.WriteLog());
    scope.SaveSettings(nullptr);
    EXPECT_EQ(scope.History().size(), 100u);
}

TEST_F(ScopeEngineTest, CsvHoldsTheHistoryInSignalUnits)
{
    TScope scope(chart, nullptr, Dir());
    scope.SetSource(1, "Velocity Feedback");
    scope.SetScale(1, 100);
    scope.SetOffset(1, 50);
    scope.SetSource(2, "I^2*t Filtered Current");
    scope.SetTimebase(5);
    scope.SetTriggerSource(kCh1Rising);
    scope.SetTriggerLevel(250);
    Frame(scope, 100, 1200, 12.5);
    Frame(scope, 40, -300, 0);
    ASSERT_TRUE(scope.WriteCsv(Dir() + "capture.csv"));
    std::istringstream in(testutil::ReadText(Dir() + "capture.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u + 140u);
    EXPECT_EQ(lines[0], "# Timebase: 0.05 sec / div (5 ms per sample)");
    EXPECT_EQ(lines[1], "# Trigger: Chnl 1, rising edge, level 250 Rpm");
    EXPECT_EQ(lines[2], "Frame,Time (s),Velocity Feedback (Rpm),I^2*t Filtered Current (% Drive Peak Current)");
    EXPECT_EQ(lines[3], "1,0.000000,1200,12.5");
    EXPECT_EQ(lines[4], "1,0.005000,1200,12.5");
    EXPECT_EQ(lines[103], "2,0.000000,-300,0");
    EXPECT_EQ(lines[142], "2,0.195000,-300,0");
    EXPECT_FALSE(scope.WriteCsv(Dir() + "no-such-folder/x.csv"));
}

// Files are C notation under a user's decimal-comma locale (which a Qt program takes from the
// environment): Scope.log and the CSV export read the same everywhere.
TEST_F(ScopeEngineTest, TheLogAndTheCsvKeepCNotationUnderADecimalCommaLocale)
{
    const testutil::CommaLocale comma;
    if (!comma.active)
        GTEST_SKIP() << "no decimal-comma locale on this machine (locales not installed)";
    TScope scope(chart, nullptr, Dir());
    scope.SetTriggerSource(kCh1Rising);
    scope.SetTriggerLevel(2.5);
    Frame(scope, 2, 1200.5, 12.25);
    ASSERT_TRUE(scope.WriteCsv(Dir() + "capture.csv"));
    std::istringstream in(testutil::ReadText(Dir() + "capture.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u + 2u);
    EXPECT_NE(lines[1].find("level 2.5 "), std::string::npos) << lines[1];
    EXPECT_EQ(lines[3], "1,0.000000,1200.5,12.25");
    ASSERT_TRUE(scope.WriteLog());
    EXPECT_EQ(testutil::ReadText(Dir() + "Scope.log"), "*** frame 1 ***\n1200.500   12.250\n1200.500   12.250\n\n\n");
}

TEST(SignalTable, FollowsTheMonitorSignalsOfTheDrive)
{
    ASSERT_EQ(kSignalTable.size(), 31u);
    std::vector<bool> seen(31, false);
    for (const SignalRecord &s : kSignalTable) {
        ASSERT_LT(s.code, 31);
        EXPECT_FALSE(seen[s.code]) << s.name;
        seen[s.code] = true;
    }
    EXPECT_STREQ(kSignalTable[0].name, "Analog Input");
    EXPECT_STREQ(kSignalTable[27].name, "Velocity Feedback");
    EXPECT_EQ(kSignalTable[27].code, 1);
    EXPECT_STREQ(kSignalTable[11].unit, "% Drive Peak Current");
    // The window's source lists come from the DM1Map and DM2Map texts: the same names, in order.
    for (const char *map : {"dm1map", "dm2map"}) {
        std::vector<std::string> texts;
        tools700::FillEnumList(texts, map);
        ASSERT_EQ(texts.size(), kSignalTable.size()) << map;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i], kSignalTable[i].name) << map;
            EXPECT_EQ(tools700::EnumText(map, kSignalTable[i].code), kSignalTable[i].name) << map;
        }
    }
}

} // namespace
