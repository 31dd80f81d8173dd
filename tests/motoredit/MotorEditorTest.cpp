// The editor's copy of the user motors against real extension files in a temporary program
// folder: opening, adding, removing, English units through a save and a reopen, and Exit with
// the failures that must leave the old files.
#include "TempDir.h"

#include "tools700/common/Error.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/motoredit/MotorEditor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace tools700;
using namespace tools700::motoredit;

std::vector<std::string> FilesIn(const fs::path &folder)
{
    std::vector<std::string> out;
    for (const auto &e : fs::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string Content(const fs::path &file)
{
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Motor Rotary(double inductance)
{
    Motor m;
    m.Set("MotorType", 0);
    m.Set("ShowMetric", 1);
    m.Set("Inductance", inductance);
    return m;
}

class MotorEditorTest : public ::testing::Test {
protected:
    // A folder with the motors saved as extension files.
    void Save(const std::string &name, Motor m) { m.Save(dir.File(name + ".MDE"), 0); }

    testsupport::TempDir dir;
    ScriptedMessages messages;
};

TEST_F(MotorEditorTest, OpensEveryExtensionFileSorted)
{
    MotorEditor empty(dir.Path());
    empty.Open(messages);
    EXPECT_TRUE(empty.Names().empty());

    Save("ZED", Rotary(3));
    Save("ALPHA", Rotary(1));
    dir.Write("lower.mde", Content(dir.File("ALPHA.MDE")));
    dir.Write("notes.txt", "not a motor");
    MotorEditor editor(dir.Path());
    editor.Open(messages);
    EXPECT_EQ(editor.Names(), (std::vector<std::string>{"ALPHA", "LOWER", "ZED"}));
    ASSERT_NE(editor.Find("ZED"), nullptr);
    EXPECT_DOUBLE_EQ(editor.Find("ZED")->Get("Inductance"), 3);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(MotorEditorTest, NewLinearMotorInEnglishUnitsSurvivesExitAndReopen)
{
    MotorEditor editor(dir.Path());
    editor.Open(messages);
    Motor m;
    m.Set("MotorType", 1);
    m.Set("ShowMetric", 0);
    m.Set("CommSrc", 1);
    m.Set("LinearKe", 12.5);
    m.Set("CoilWeight", 3.25);
    m.Set("PoleSpacing", 1.5);
    m.Set("EncoderResolution", 5);
    EXPECT_EQ(editor.Add("LIN1", m), 0);
    EXPECT_EQ(editor.Add("AAA", Rotary(2)), 0);
    ASSERT_TRUE(editor.Exit(messages));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"AAA.MDE", "LIN1.MDE"}));

    MotorEditor again(dir.Path());
    again.Open(messages);
    ASSERT_NE(again.Find("LIN1"), nullptr);
    const Motor &back = *again.Find("LIN1");
    EXPECT_EQ(back.Get("ShowMetric"), 0);
    EXPECT_EQ(back.Get("MotorType"), 1);
    EXPECT_NEAR(back.Get("LinearKe"), 12.5, 1e-5);
    EXPECT_NEAR(back.Get("CoilWeight"), 3.25, 1e-5);
    EXPECT_NEAR(back.Get("PoleSpacing"), 1.5, 1e-5);
    EXPECT_EQ(back.Get("CommSrc"), 1);
}

TEST_F(MotorEditorTest, DeletingTheOnlyMotorAndExitRemovesEveryFile)
{
    Save("ONLY", Rotary(1));
    dir.Write("other.mde", Content(dir.File("ONLY.MDE")));
    MotorEditor editor(dir.Path());
    editor.Open(messages);
    editor.Remove("ONLY");
    editor.Remove("OTHER");
    EXPECT_TRUE(editor.Names().empty());
    ASSERT_TRUE(editor.Exit(messages));
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST_F(MotorEditorTest, UnreadableFileIsShownAndKeptWithTheFilesAfterIt)
{
    Save("AAA", Rotary(1));
    dir.Write("BAD.MDE", "this is not a motor\n");
    Save("ZZZ", Rotary(9));
    const std::string bad = Content(dir.File("BAD.MDE"));
    MotorEditor editor(dir.Path());
    editor.Open(messages);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "Error reading file " + dir.File("BAD.MDE") + ".");
    // Its name is listed without a motor; the file after it was not read.
    EXPECT_EQ(editor.Names(), (std::vector<std::string>{"AAA", "BAD"}));
    EXPECT_EQ(editor.Find("BAD"), nullptr);
    EXPECT_TRUE(editor.Holds("ZZZ")) << "a new motor cannot take the name of a file not read";

    // Exit rewrites what it read and leaves the others as they were.
    editor.Store("AAA", Rotary(4));
    ASSERT_TRUE(editor.Exit(messages));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"AAA.MDE", "BAD.MDE", "ZZZ.MDE"}));
    EXPECT_EQ(Content(dir.File("BAD.MDE")), bad);
    Motor zzz;
    zzz.Load(dir.File("ZZZ.MDE"));
    EXPECT_NEAR(zzz.Get("Inductance"), 9, 1e-6);
    Motor aaa;
    aaa.Load(dir.File("AAA.MDE"));
    EXPECT_NEAR(aaa.Get("Inductance"), 4, 1e-6);

    // Removing the unreadable name is the user's choice: its file goes.
    MotorEditor second(dir.Path());
    second.Open(messages);
    second.Remove("BAD");
    ASSERT_TRUE(second.Exit(messages));
    EXPECT_FALSE(fs::exists(dir.File("BAD.MDE")));
}

TEST_F(MotorEditorTest, FailedWriteLeavesTheOldFiles)
{
    Save("OLD1", Rotary(1));
    Save("OLD2", Rotary(2));
    const std::string old1 = Content(dir.File("OLD1.MDE"));
    MotorEditor editor(dir.Path());
    editor.Open(messages);
    editor.Remove("OLD2");
    editor.Add("NEW", Rotary(7));
    // Something in the way of the new file: a folder where it would be written.
    fs::create_directories(dir.File(std::string("NEW.MDE") + kNewSuffix) + "/in-the-way");
    EXPECT_FALSE(editor.Exit(messages));
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("NEW.MDE"), std::string::npos) << messages.texts()[0];
    EXPECT_EQ(Content(dir.File("OLD1.MDE")), old1);
    EXPECT_TRUE(fs::exists(dir.File("OLD2.MDE")));
    EXPECT_FALSE(fs::exists(dir.File("NEW.MDE")));
    EXPECT_FALSE(fs::exists(dir.File(std::string("OLD1.MDE") + kNewSuffix)));
    // The editor still holds its motors, and a second Exit once the way is clear succeeds.
    EXPECT_EQ(editor.Names(), (std::vector<std::string>{"NEW", "OLD1"}));
    fs::remove_all(dir.File(std::string("NEW.MDE") + kNewSuffix));
    ASSERT_TRUE(editor.Exit(messages));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"NEW.MDE", "OLD1.MDE"}));
}

TEST_F(MotorEditorTest, OldFileThatCannotBeMovedAbortsTheUpdate)
{
    Save("KEEP1", Rotary(1));
    Save("KEEP2", Rotary(2));
    MotorEditor editor(dir.Path());
    editor.Open(messages);
    editor.Remove("KEEP1");
    editor.Store("KEEP2", Rotary(5));
    // KEEP2's old file cannot be moved aside.
    fs::create_directories(dir.File(std::string("KEEP2.MDE") + kOldSuffix) + "/in-the-way");
    EXPECT_FALSE(editor.Exit(messages));
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], DeleteFailedText(dir.File("KEEP2.MDE")));
    EXPECT_EQ(messages.texts()[0], "Unable to delete old definition of \n\"" + dir.File("KEEP2.MDE") +
                                       "\"\nMotor database update aborted!");
    Motor k1, k2;
    k1.Load(dir.File("KEEP1.MDE"));
    k2.Load(dir.File("KEEP2.MDE"));
    EXPECT_NEAR(k1.Get("Inductance"), 1, 1e-6);
    EXPECT_NEAR(k2.Get("Inductance"), 2, 1e-6) << "the old set stays whole";
    EXPECT_FALSE(fs::exists(dir.File(std::string("KEEP2.MDE") + kNewSuffix)));
}

} // namespace
