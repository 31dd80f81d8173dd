// Sweep files: the scope engine's CSV read back frame by frame, the analysis window's own file
// with its cursors, zoom and figures, files that hold no sweep, the kept reference sweep in a data
// folder, and the cursor read-out.
#include "tools700/analysis/CursorReadout.h"
#include "tools700/analysis/ReferenceSweep.h"
#include "tools700/analysis/SweepFile.h"
#include "tools700/scope/ScopeChart.h"
#include "tools700/scope/TScope.h"

#include "../common/CommaLocale.h"
#include "../config/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tools700;
using namespace tools700::analysis;

namespace {

class SweepFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string &name) const { return (dir.Path() / name).string(); }
    std::string Dir() const { return dir.Path().string() + "/"; }

    static Sweep MakeSweep()
    {
        Sweep s;
        for (int i = 0; i < 5; ++i) {
            s.seconds.push_back(i * 0.002);
            s.channels[0].values.push_back(100.0 * i);
            s.channels[1].values.push_back(-0.5 * i);
        }
        s.channels[0] = {"Velocity Command", "Rpm", 500, 0, s.channels[0].values};
        s.channels[1] = {"Current, \"Feedback\"", "Amps", 2, -1, s.channels[1].values};
        s.timebaseMs = 2;
        s.trigger = "Chnl 1, rising edge, level 10 Rpm";
        return s;
    }

    testsupport::TempDir dir;
};

TEST_F(SweepFileTest, TheScopesCsvIsReadFrameByFrameWithItsSignalsAndTimebase)
{
    scope::PointChart chart;
    scope::TScope engine(chart, nullptr, Dir());
    engine.SetSource(1, "Velocity Command");
    engine.SetSource(2, "Velocity Feedback");
    engine.SetTimebase(5);
    engine.SetTriggerSource(scope::kCh1Rising);
    engine.SetTriggerLevel(250);
    for (int frame = 0; frame < 3; ++frame) {
        std::vector<double> a(100), b(100);
        for (int i = 0; i < 100; ++i) {
            a[static_cast<std::size_t>(i)] = frame * 1000 + i;
            b[static_cast<std::size_t>(i)] = -i * 0.5;
        }
        engine.ProcessFrame(a.data(), b.data(), frame == 2 ? 40 : 100);
    }
    ASSERT_TRUE(engine.WriteCsv(Path("scope.csv")));

    std::string error;
    const auto file = ReadSweepFile(Path("scope.csv"), error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->frames.size(), 3u);
    EXPECT_EQ(file->frames[2].size(), 40u);
    const Sweep &second = file->frames[1];
    ASSERT_EQ(second.size(), 100u);
    EXPECT_EQ(second.Channel(1).signal, "Velocity Command");
    EXPECT_EQ(second.Channel(1).unit, "Rpm");
    EXPECT_EQ(second.Channel(2).signal, "Velocity Feedback");
    EXPECT_DOUBLE_EQ(second.timebaseMs, 5);
    EXPECT_EQ(second.trigger, "Chnl 1, rising edge, level 250 Rpm");
    EXPECT_DOUBLE_EQ(second.seconds[99], 0.495);
    EXPECT_DOUBLE_EQ(second.Channel(1).values[7], 1007);
    EXPECT_DOUBLE_EQ(second.Channel(2).values[99], -49.5);
    EXPECT_EQ(second.origin, Path("scope.csv") + ", frame 2 of 3");
    EXPECT_FALSE(file->view.cursorA);
}

TEST_F(SweepFileTest, TheAnalysisFileKeepsTheSweepItsViewAndItsFigures)
{
    SweepView view;
    view.cursorA = 0.002;
    view.cursorB = 0.006;
    view.zoom = std::array<SweepView::Range, 3>{{{0.001, 0.007}, {-50, 450}, {-3, 1}}};
    view.figureChannel = 1;
    view.commandChannel = 0;
    std::string error;
    ASSERT_TRUE(WriteSweepFile(Path("a.csv"), MakeSweep(), view, {"Rise time (10-90 %): 2 ms"}, error)) << error;
    EXPECT_NE(testutil::ReadText(Path("a.csv")).find("# Rise time (10-90 %): 2 ms\n"), std::string::npos);

    const auto file = ReadSweepFile(Path("a.csv"), error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->frames.size(), 1u);
    const Sweep &s = file->frames[0];
    const Sweep original = MakeSweep();
    EXPECT_EQ(s.seconds, original.seconds);
    for (int ch = 1; ch <= 2; ++ch) {
        EXPECT_EQ(s.Channel(ch).signal, original.Channel(ch).signal);
        EXPECT_EQ(s.Channel(ch).unit, original.Channel(ch).unit);
        EXPECT_EQ(s.Channel(ch).values, original.Channel(ch).values);
        EXPECT_DOUBLE_EQ(s.Channel(ch).scale, original.Channel(ch).scale);
        EXPECT_DOUBLE_EQ(s.Channel(ch).offset, original.Channel(ch).offset);
    }
    EXPECT_EQ(s.trigger, original.trigger);
    EXPECT_DOUBLE_EQ(s.timebaseMs, 2);
    EXPECT_EQ(file->view.cursorA, 0.002);
    EXPECT_EQ(file->view.cursorB, 0.006);
    ASSERT_TRUE(file->view.zoom);
    EXPECT_DOUBLE_EQ((*file->view.zoom)[1].high, 450);
    EXPECT_DOUBLE_EQ((*file->view.zoom)[2].low, -3);
    EXPECT_EQ(file->view.figureChannel, 1);
    EXPECT_EQ(file->view.commandChannel, 0);
}

// Under a user's decimal-comma locale (which a Qt program takes from the environment) the file
// is the same C notation, and reads back.
TEST_F(SweepFileTest, TheFileKeepsCNotationUnderADecimalCommaLocale)
{
    const testutil::CommaLocale comma;
    if (!comma.active)
        GTEST_SKIP() << "no decimal-comma locale on this machine (locales not installed)";
    SweepView view;
    view.cursorA = 0.002;
    std::string error;
    ASSERT_TRUE(WriteSweepFile(Path("c.csv"), MakeSweep(), view, {}, error)) << error;
    const std::string text = testutil::ReadText(Path("c.csv"));
    EXPECT_NE(text.find("# View cursor A: 0.002 s\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1,0.002000,100,-0.5\n"), std::string::npos) << text;
    const auto file = ReadSweepFile(Path("c.csv"), error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->frames.at(0).seconds, MakeSweep().seconds);
    EXPECT_EQ(file->view.cursorA, 0.002);
}

TEST_F(SweepFileTest, FilesThatHoldNoSweepSayWhereAndWhy)
{
    std::string error;
    EXPECT_FALSE(ReadSweepFile(Path("missing.csv"), error));
    EXPECT_EQ(error, "Can't open file " + Path("missing.csv"));

    const std::pair<const char *, std::string> cases[] = {
        {"Name=Value\n", ", line 1: this is not a sweep file"},
        {"# Timebase: 1 ms per sample\nFrame,Time (s),A (V),B (V)\n", " holds no sweep (no sample lines)"},
        {"", " holds no sweep (no \"Frame,Time (s),...\" heading)"},
        {"Frame,Time (s),A (V),B (V)\n1,0,1,2\n1,0.001,x,2\n", ", line 3: \"x\" is not a number"},
        {"Frame,Time (s),A (V),B (V)\n1,0,1\n", ", line 2: a sample line holds 4 fields, this one 3"},
        {"Frame,Time (s),A (V),B (V)\n0,0,1,2\n", ", line 2: the frame \"0\" is not a whole number from 1"},
        {"Frame,Time (s),A (V),B (V)\n1,0,1e999,2\n", ", line 2: \"1e999\" is not a number"},
    };
    for (const auto &[text, expected] : cases) {
        testutil::WriteText(Path("bad.csv"), text);
        EXPECT_FALSE(ReadSweepFile(Path("bad.csv"), error)) << text;
        EXPECT_EQ(error.rfind(Path("bad.csv") + expected, 0), 0u) << error;
    }
    // Windows line ends and a byte-order mark are read as any other file.
    testutil::WriteText(Path("crlf.csv"), "\xEF\xBB\xBF# Timebase: 0.01 sec / div (1 ms per sample)\r\n"
                                          "Frame,Time (s),\"A, B (V)\",C\r\n1,0,1,2\r\n");
    const auto file = ReadSweepFile(Path("crlf.csv"), error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->frames[0].Channel(1).signal, "A, B");
    EXPECT_EQ(file->frames[0].Channel(1).unit, "V");
    EXPECT_EQ(file->frames[0].Channel(2).signal, "C");
    EXPECT_DOUBLE_EQ(file->frames[0].timebaseMs, 1);
}

TEST_F(SweepFileTest, TheReferenceIsKeptInTheDataFolderUntilCleared)
{
    std::string error;
    EXPECT_EQ(LoadReference(Dir(), error), nullptr);
    EXPECT_TRUE(error.empty());
    ASSERT_TRUE(KeepReference(Dir(), MakeSweep(), error)) << error;
    EXPECT_TRUE(std::filesystem::exists(Path(kReferenceFileName)));
    EXPECT_FALSE(std::filesystem::exists(Path(std::string(kReferenceFileName) + ".new")));
    const auto kept = LoadReference(Dir(), error);
    ASSERT_NE(kept, nullptr) << error;
    EXPECT_EQ(kept->Channel(2).values, MakeSweep().Channel(2).values);
    EXPECT_EQ(kept->Channel(1).signal, "Velocity Command");
    EXPECT_EQ(kept->origin, "reference");

    ASSERT_TRUE(ClearReference(Dir(), error));
    EXPECT_EQ(LoadReference(Dir(), error), nullptr);
    EXPECT_TRUE(ClearReference(Dir(), error)) << "clearing no reference is no failure";

    // A folder that cannot be written keeps nothing and says so.
    EXPECT_FALSE(KeepReference(Dir() + "missing/", MakeSweep(), error));
    EXPECT_EQ(error, "Can't open file " + Dir() + "missing/" + kReferenceFileName);
    EXPECT_TRUE(std::filesystem::is_empty(Dir())) << "no file left behind";
    // An unreadable reference is reported, not shown.
    testutil::WriteText(Path(kReferenceFileName), "garbage\n");
    EXPECT_EQ(LoadReference(Dir(), error), nullptr);
    EXPECT_NE(error.find("this is not a sweep file"), std::string::npos);
}

TEST_F(SweepFileTest, CursorsReadEachChannelAndTheirDifferences)
{
    const Sweep s = MakeSweep();
    const CursorReadout r = ReadCursors(s, 1, 4);
    EXPECT_DOUBLE_EQ(r.timeA, 0.002);
    EXPECT_DOUBLE_EQ(r.deltaT, 0.006);
    ASSERT_TRUE(r.inverseDeltaT);
    EXPECT_NEAR(*r.inverseDeltaT, 166.667, 0.001);
    EXPECT_DOUBLE_EQ(r.atA[0], 100);
    EXPECT_DOUBLE_EQ(r.atB[0], 400);
    EXPECT_DOUBLE_EQ(r.deltaY[0], 300);
    EXPECT_DOUBLE_EQ(r.deltaY[1], -1.5);
    // B before A gives a negative time, a positive frequency; cursors together give none.
    EXPECT_DOUBLE_EQ(ReadCursors(s, 3, 1).deltaT, -0.004);
    EXPECT_DOUBLE_EQ(*ReadCursors(s, 3, 1).inverseDeltaT, 250);
    EXPECT_FALSE(ReadCursors(s, 2, 2).inverseDeltaT);
    EXPECT_DOUBLE_EQ(ReadCursors(s, 99, 0).timeA, 0.008) << "a cursor past the end sits on the last sample";
    EXPECT_EQ(NearestSample(s, 0.0051), 3u);

    const std::vector<std::string> lines = CursorLines(s, r);
    EXPECT_EQ(lines[2], "Δt: 6 ms");
    EXPECT_EQ(lines[3], "1/Δt: 166.67 Hz");
    EXPECT_EQ(lines[4], "Ch1 Velocity Command at A: 100 Rpm");
    EXPECT_EQ(lines[9], "Ch2 Current, \"Feedback\" ΔY: -1.5 Amps");
}

} // namespace
