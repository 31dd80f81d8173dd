// The program-side loading of extension files: real files in a temporary program folder, the
// real library, and a scripted answerer in place of the message boxes.
#include "MotorNames.h"
#include "TempFolder.h"
#include "mdb700.h"
#include "tools700/motors/MotorExtensions.h"
#include "tools700/common/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using motordbtest::DefinitionLine;
using motordbtest::TempFolder;
using tools700::Answer;
using tools700::BoxKind;
using tools700::ScriptedMessages;

int MotorCount() { return static_cast<int>(motordbtest::AllNames().size()); }

std::string InvalidText(const std::string &path)
{
    return "Motor Database Extension file \n\n\"" + path + "\"\n\nis invalid.";
}

class MotorExtensions : public ::testing::Test {
protected:
    void SetUp() override { mdb_FlushExtensions(); }
    void TearDown() override { mdb_FlushExtensions(); }

    std::string PathOf(const std::string &file) const { return (dir.Path() / file).string(); }

    TempFolder dir;
};

TEST_F(MotorExtensions, LoadsEveryExtensionFileOfTheFolder)
{
    dir.Write("ALPHA.MDE", DefinitionLine(0, 0.3));
    dir.Write("beta.mde", "# saved by the motor editor\n" + DefinitionLine(0, 0.4));
    dir.Write("Gamma.Mde", DefinitionLine(0, 0.5));
    dir.Write("notes.txt", DefinitionLine());
    dir.Write("DELTA.MDE.bak", DefinitionLine());
    std::filesystem::create_directory(dir.Path() / "FOLDER.MDE");
    std::filesystem::create_symlink(dir.Path() / "missing", dir.Path() / "DANGLING.MDE");

    ScriptedMessages messages;
    tools700::LoadMotorExtensions(dir.Path(), messages);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(mdb_Ke("alpha"), 0.3);
    EXPECT_EQ(mdb_Ke("BETA"), 0.4);
    EXPECT_EQ(mdb_Ke("gamma"), 0.5);
    EXPECT_EQ(mdb_Exists("notes"), 0);
    EXPECT_EQ(mdb_Exists("DELTA.MDE"), 0);
    EXPECT_EQ(mdb_Exists("FOLDER"), 0);
    EXPECT_EQ(MotorCount(), 235);

    auto files = tools700::MotorExtensionFiles(dir.Path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].filename(), "ALPHA.MDE");
    EXPECT_EQ(files[1].filename(), "Gamma.Mde");
    EXPECT_EQ(files[2].filename(), "beta.mde");
}

TEST_F(MotorExtensions, StartsFromTheBuiltInMotorsEveryTime)
{
    std::string path = dir.Write("GONE.MDE", DefinitionLine());
    ScriptedMessages messages;
    tools700::LoadMotorExtensions(dir.Path(), messages);
    EXPECT_EQ(mdb_Exists("GONE"), 1);
    // Loading again reports no duplicates; a deleted file's motor disappears.
    tools700::LoadMotorExtensions(dir.Path(), messages);
    EXPECT_TRUE(messages.shown().empty());
    std::filesystem::remove(path);
    tools700::LoadMotorExtensions(dir.Path(), messages);
    EXPECT_EQ(mdb_Exists("GONE"), 0);
    EXPECT_EQ(MotorCount(), 232);

    // A folder that does not exist holds no extension files.
    tools700::LoadMotorExtensions(dir.Path() / "nowhere", messages);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(MotorCount(), 232);
}

TEST_F(MotorExtensions, ReportsInvalidAndUnreadableFilesAndGoesOn)
{
    dir.Write("A_BAD.MDE", "1 2 3\n");
    dir.Write("B_LONGNAME.MDE", DefinitionLine());
    // A regular file whose reading fails: the process's own memory file at address 0.
    std::filesystem::create_symlink("/proc/self/mem", dir.Path() / "C_UNREAD.MDE");
    dir.Write("D_GOOD.MDE", DefinitionLine());

    ScriptedMessages messages;
    tools700::LoadMotorExtensions(dir.Path(), messages);
    auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, InvalidText(PathOf("A_BAD.MDE")));
    EXPECT_EQ(shown[1].text, InvalidText(PathOf("B_LONGNAME.MDE")));
    EXPECT_EQ(shown[2].text,
              "Can't open Motor Database extension file \n\n" + PathOf("C_UNREAD.MDE"));
    for (const auto &s : shown) {
        EXPECT_EQ(s.kind, BoxKind::Plain);
        EXPECT_EQ(s.buttons, tools700::BtnOk);
    }
    EXPECT_EQ(mdb_Exists("D_GOOD"), 1);
    EXPECT_EQ(mdb_Exists("A_BAD"), 0);
}

TEST_F(MotorExtensions, AsksAboutABuiltInNameWithTheDefaultDatabaseAsFileOne)
{
    dir.Write("KS041A.MDE", DefinitionLine(0, 2.0));
    ScriptedMessages messages({Answer::Ok});
    tools700::LoadMotorExtensions(dir.Path(), messages);
    auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 1u);
    const std::string path = PathOf("KS041A.MDE");
    EXPECT_EQ(shown[0].kind, BoxKind::Warning);
    EXPECT_EQ(shown[0].buttons, tools700::BtnOk | tools700::BtnCancel | tools700::BtnAbort);
    EXPECT_EQ(shown[0].text,
              "Warning!  The motor database extension contains duplicate entries!\n\n"
              "A definition for motor \"KS041A\" was found in these two files:\n\n"
              "File 1: <default motor database>\n"
              "File 2: " + path + "\n\n"
              "This is probably the result of having imported a motor\n"
              "database extension file from another system.\n"
              "You should note this information down, and correct\n"
              "your motor database extension files.\n\n"
              "Press OK to continue.\n\n"
              "Press Cancel to stop reading extensions from file\n"
              "\"" + path + "\"\n\nPress Abort to stop extending the motor database.");
    EXPECT_NE(mdb_Ke("KS041A"), 2.0);
}

TEST_F(MotorExtensions, NamesFileOneByTheSourceOfTheFirstDefinition)
{
    // Two files whose names differ only in case define the same motor.
    dir.Write("MYMOT.MDE", DefinitionLine(0, 0.7));
    dir.Write("mymot.mde", DefinitionLine(0, 0.8));
    ScriptedMessages messages;
    tools700::LoadMotorExtensions(dir.Path(), messages);
    ASSERT_EQ(messages.shown().size(), 1u);
    const std::string text = messages.shown()[0].text;
    EXPECT_NE(text.find("motor \"mymot\" was found"), std::string::npos) << text;
    EXPECT_NE(text.find("File 1: MYMOT\nFile 2: " + PathOf("mymot.mde") + "\n\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(mdb_Ke("MYMOT"), 0.7);
}

TEST_F(MotorExtensions, CancelStopsTheFileAndAbortStopsTheLoading)
{
    // A_TWO: a duplicate line then an invalid one; B_NEXT: a good file read after it.
    dir.Write("A_TWO.MDE", DefinitionLine() + "\n" + DefinitionLine() + "\nbroken\n");
    dir.Write("B_NEXT.MDE", DefinitionLine());

    ScriptedMessages cancel({Answer::Cancel});
    tools700::LoadMotorExtensions(dir.Path(), cancel);
    EXPECT_EQ(cancel.shown().size(), 1u); // no report of the broken line
    EXPECT_EQ(mdb_Exists("A_TWO"), 1);
    EXPECT_EQ(mdb_Exists("B_NEXT"), 1);

    ScriptedMessages abort({Answer::Abort});
    tools700::LoadMotorExtensions(dir.Path(), abort);
    EXPECT_EQ(abort.shown().size(), 1u);
    EXPECT_EQ(mdb_Exists("A_TWO"), 1);
    EXPECT_EQ(mdb_Exists("B_NEXT"), 0); // left unread until the next loading

    ScriptedMessages ok({Answer::Ok});
    tools700::LoadMotorExtensions(dir.Path(), ok);
    ASSERT_EQ(ok.shown().size(), 2u);
    EXPECT_EQ(ok.shown()[1].text, InvalidText(PathOf("A_TWO.MDE")));
    EXPECT_EQ(mdb_Exists("B_NEXT"), 1);
}

TEST(ExtendResultMessage, GivesTheTextOfEachResult)
{
    EXPECT_EQ(tools700::ExtendResultMessage(0, "/p/A.MDE"), "");
    EXPECT_EQ(tools700::ExtendResultMessage(1, "/p/A.MDE"), "");
    EXPECT_EQ(tools700::ExtendResultMessage(2, "/p/A.MDE"), "");
    EXPECT_EQ(tools700::ExtendResultMessage(3, "/p/A.MDE"),
              "Can't open Motor Database extension file \n\n/p/A.MDE");
    EXPECT_EQ(tools700::ExtendResultMessage(4, "/p/A.MDE"),
              "Motor Database Extension file \n\n\"/p/A.MDE\"\n\nis invalid.");
    for (int result : {5, 7, 1000})
        EXPECT_EQ(tools700::ExtendResultMessage(result, "/p/A.MDE"),
                  "Unrecognized error message -- the Motor Database\n"
                  "Extension code is broken.  Tell Ansel to fix it.");
}

TEST(ReportDuplicate, MapsTheButtonsToTheHandlersAnswers)
{
    const struct { Answer answer; int result; } cases[] = {
        {Answer::Ok, 0},  {Answer::Cancel, 1}, {Answer::Abort, 2},
        {Answer::Closed, 0}, {Answer::Yes, 0}, {Answer::No, 0}};
    for (const auto &c : cases) {
        ScriptedMessages messages({c.answer});
        EXPECT_EQ(tools700::ReportDuplicate(messages, "SRC", "/x/M.MDE", "M"), c.result);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, tools700::DuplicateText("SRC", "/x/M.MDE", "M"));
    }
    EXPECT_NE(tools700::DuplicateText(nullptr, "p", "n").find("File 1: <default motor database>\n"),
              std::string::npos);
}

} // namespace
