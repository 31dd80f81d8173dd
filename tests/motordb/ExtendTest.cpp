// Extension files read with mdb_Extend from real files in a temporary folder.
#include "TempFolder.h"
#include "MotorNames.h"
#include "mdb700.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

using motordbtest::DefinitionLine;
using motordbtest::TempFolder;

struct Call {
    bool hasSource;
    std::string source, path, name;
};

// The handler is a plain function: it records its calls here and answers from `gAnswers`.
std::vector<Call> gCalls;
std::vector<int> gAnswers;

int Recorder(const char *existingSource, const char *path, const char *name)
{
    gCalls.push_back({existingSource != nullptr, existingSource ? existingSource : "", path, name});
    if (gAnswers.empty())
        return 0;
    int a = gAnswers.front();
    gAnswers.erase(gAnswers.begin());
    return a;
}

using motordbtest::AllNames;

class MdbExtend : public ::testing::Test {
protected:
    void SetUp() override
    {
        mdb_FlushExtensions();
        gCalls.clear();
        gAnswers.clear();
    }
    void TearDown() override { mdb_FlushExtensions(); }

    TempFolder dir;
};

TEST_F(MdbExtend, ReadsTheTwentyFieldsIntoTheRecord)
{
    std::string line;
    for (int i = 1; i <= 20; ++i)
        line += std::to_string(i * 1.5) + (i < 20 ? " " : "");
    std::string path = dir.Write("MYMOT.MDE", line);
    ASSERT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_TRUE(gCalls.empty());

    EXPECT_EQ(mdb_Exists("MYMOT"), 1);
    EXPECT_EQ(mdb_Exists("mymot"), 1);
    const char *m = "mymot";
    EXPECT_EQ(mdb_Type(m), 1.5);
    EXPECT_EQ(mdb_CountsPerX(m), 3.0);
    EXPECT_EQ(mdb_Ke(m), 4.5);
    EXPECT_EQ(mdb_Inertia(m), 6.0);
    EXPECT_EQ(mdb_Inductance(m), 7.5);
    EXPECT_EQ(mdb_RHot(m), 9.0);
    EXPECT_EQ(mdb_PoleCount(m), 10.5);
    EXPECT_EQ(mdb_ICS(m), 12.0);
    EXPECT_EQ(mdb_CommOffset(m), 13.5);
    EXPECT_EQ(mdb_CommSrc(m), 15.0);
    // 11 ShowMetric, 16 LinearKe and 17 RotaryKe have no accessor.
    EXPECT_EQ(mdb_PoleSpacing(m), 18.0);
    EXPECT_EQ(mdb_EncoderResolution(m), 19.5);
    EXPECT_EQ(mdb_HallOffset(m), 21.0);
    EXPECT_EQ(mdb_ThermalTimeConst(m), 22.5);
    EXPECT_EQ(mdb_CoilWeight(m), 27.0);
    EXPECT_EQ(mdb_MaxVBus(m), 28.5);
    EXPECT_EQ(mdb_PeakToCont(m), 30.0);
    // Fields the file does not carry: the stored ideal profile.
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(mdb_CosHarm(m, i), i == 1 ? 0.5 : 0.0) << i;
        EXPECT_EQ(mdb_SinHarm(m, i), i == 1 ? 0.866025 : 0.0) << i;
    }
    EXPECT_EQ(mdb_Ave_normT6stp(m), 0.95493);

    char buf[9];
    ASSERT_NE(mdb_FirstName(buf), nullptr);
    EXPECT_STREQ(buf, "MYMOT");
}

TEST_F(MdbExtend, SkipsCommentsAndBlankLinesAndReadsALastLineWithoutLineEnd)
{
    std::string path = dir.Write("CMT1.MDE", "# a user motor\n\n   \t\n   # indented comment\r\n" +
                                                 DefinitionLine() + " trailing words 1 2 3");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("CMT1"), 1);
    EXPECT_EQ(mdb_Ke("CMT1"), 0.25);
    EXPECT_EQ(AllNames().size(), 233u);

    // Line ends of the other platform, and a comment-only file, which adds nothing.
    path = dir.Write("CRLF.MDE", "#x\r\n" + DefinitionLine(0, 0.5) + "\r\n\r\n");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Ke("crlf"), 0.5);
    path = dir.Write("EMPTY.MDE", "# nothing here\n\n");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("EMPTY"), 0);
    path = dir.Write("ZERO.MDE", "");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("ZERO"), 0);
}

TEST_F(MdbExtend, ReadsLinesLongerThan256BytesWhole)
{
    // 300 blanks before the numbers and a long tail after them: one line, one motor.
    std::string longLine = std::string(300, ' ') + DefinitionLine(0, 1.25) + " " +
                           std::string(400, '7') + "\n";
    std::string path = dir.Write("LONG.MDE", longLine);
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Ke("LONG"), 1.25);
    EXPECT_TRUE(gCalls.empty());

    // Large figures printed with "%lf" make long lines too; no number is cut.
    std::string big;
    for (int i = 0; i < 20; ++i)
        big += (i ? " " : "") + std::to_string(1e15 + i);
    ASSERT_GT(big.size(), 256u);
    path = dir.Write("BIG.MDE", big);
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_PeakToCont("BIG"), 1e15 + 19);

    // A long comment stays a comment.
    path = dir.Write("LCMT.MDE", "# " + std::string(1000, 'c') + "\n" + DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("LCMT"), 1);
}

TEST_F(MdbExtend, ASecondDefinitionInOneFileIsADuplicate)
{
    std::string path =
        dir.Write("TWO.MDE", DefinitionLine(0, 0.5) + "\n" + DefinitionLine(0, 0.9) + "\n");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_TRUE(gCalls[0].hasSource);
    EXPECT_EQ(gCalls[0].source, "TWO");
    EXPECT_EQ(gCalls[0].path, path);
    EXPECT_EQ(gCalls[0].name, "TWO");
    EXPECT_EQ(mdb_Ke("TWO"), 0.5); // the first definition stays
}

TEST_F(MdbExtend, TheHandlersAnswersStopTheFileOrTheExtending)
{
    // A third, invalid line shows whether reading went on after the duplicate.
    std::string content = DefinitionLine() + "\n" + DefinitionLine() + "\nnot numbers\n";
    std::string path = dir.Write("ANS.MDE", content);

    gAnswers = {0};
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);
    mdb_FlushExtensions();
    gAnswers = {1};
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_STOP_FILE);
    mdb_FlushExtensions();
    gAnswers = {2};
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_STOP_ALL);
    EXPECT_EQ(gCalls.size(), 3u);
    EXPECT_EQ(mdb_Exists("ANS"), 1); // added before the stop

    // Any other answer is passed back and reading goes on.
    mdb_FlushExtensions();
    path = dir.Write("ODD.MDE", DefinitionLine() + "\n" + DefinitionLine());
    gAnswers = {7};
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), 7);

    // Without a handler a duplicate is skipped.
    EXPECT_EQ(mdb_Extend(path.c_str(), nullptr), MDB_EXTEND_OK);
}

TEST_F(MdbExtend, ABuiltInNameIsADuplicateWithoutSource)
{
    double ke = mdb_Ke("KS041A");
    std::string path = dir.Write("ks041a.MDE", DefinitionLine(0, 2.5));
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_FALSE(gCalls[0].hasSource);
    EXPECT_EQ(gCalls[0].name, "ks041a");
    EXPECT_EQ(mdb_Ke("KS041A"), ke);
    EXPECT_EQ(AllNames().size(), 232u);
}

TEST_F(MdbExtend, NamesOfNineAndMoreCharactersAreInvalid)
{
    std::string path = dir.Write("EIGHTCHR.MDE", DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("eightchr"), 1);
    char buf[9];
    ASSERT_NE(mdb_FirstName(buf), nullptr);
    EXPECT_STREQ(buf, "EIGHTCHR");

    for (const char *file : {"NINECHARS.MDE", "ELEVENCHARS.MDE"}) {
        path = dir.Write(file, DefinitionLine());
        EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID) << file;
    }
    EXPECT_EQ(mdb_Exists("NINECHARS"), 0);
    EXPECT_EQ(mdb_Exists("ELEVENCHARS"), 0);
    EXPECT_EQ(AllNames().size(), 233u);
}

TEST_F(MdbExtend, MissingFilesAndFoldersCannotBeOpened)
{
    EXPECT_EQ(mdb_Extend((dir.Path() / "NONE.MDE").c_str(), Recorder), MDB_EXTEND_CANT_OPEN);
    EXPECT_EQ(mdb_Extend(dir.Path().c_str(), Recorder), MDB_EXTEND_CANT_OPEN);
    EXPECT_EQ(mdb_Extend("", Recorder), MDB_EXTEND_CANT_OPEN);
    // A pipe with no writer, and a device: refused at once, never waited for.
    std::string fifo = (dir.Path() / "PIPE.MDE").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(mdb_Extend(fifo.c_str(), Recorder), MDB_EXTEND_CANT_OPEN);
    EXPECT_EQ(mdb_Extend("/dev/zero", Recorder), MDB_EXTEND_CANT_OPEN);
    EXPECT_EQ(mdb_Extend(nullptr, Recorder), MDB_EXTEND_CANT_OPEN);
    EXPECT_EQ(AllNames().size(), 232u);
}

TEST_F(MdbExtend, AnInvalidLineStopsReadingAndKeepsWhatCameBefore)
{
    std::string path = dir.Write("FEW.MDE", "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19\n");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);
    EXPECT_EQ(mdb_Exists("FEW"), 0);

    path = dir.Write("LATE.MDE", DefinitionLine() + "\n1 2 3\n" + DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);
    EXPECT_EQ(mdb_Exists("LATE"), 1);
    EXPECT_TRUE(gCalls.empty()); // the third line was never read
}

TEST_F(MdbExtend, IterationOrderFollowsAdditionAndFlush)
{
    std::vector<std::string> builtin = AllNames();
    for (const char *name : {"AAA", "BBB", "CCC"}) {
        std::string path = dir.Write(std::string(name) + ".MDE", DefinitionLine());
        ASSERT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    }
    std::vector<std::string> names = AllNames();
    ASSERT_EQ(names.size(), 235u);
    EXPECT_EQ(names[0], "CCC");
    EXPECT_EQ(names[1], "BBB");
    EXPECT_EQ(names[2], "AAA");
    EXPECT_TRUE(std::equal(builtin.begin(), builtin.end(), names.begin() + 3));

    mdb_FlushExtensions();
    EXPECT_EQ(AllNames(), builtin);
    EXPECT_EQ(mdb_Exists("BBB"), 0);
    EXPECT_EQ(mdb_Ke("BBB"), 0.0);

    // The same files read again are no duplicates.
    for (const char *name : {"AAA", "BBB", "CCC"})
        EXPECT_EQ(mdb_Extend((dir.Path() / (std::string(name) + ".MDE")).c_str(), Recorder),
                  MDB_EXTEND_OK);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(AllNames().size(), 235u);
}

TEST_F(MdbExtend, AnIterationSurvivesChangesOrEndsCleanly)
{
    std::string path = dir.Write("ITER.MDE", DefinitionLine());
    char buf[9];
    // Reading a file in the middle of an iteration: the iteration goes on with the motors that
    // were after the cursor.
    ASSERT_NE(mdb_FirstName(buf), nullptr);
    EXPECT_STREQ(buf, "R16C");
    ASSERT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    ASSERT_NE(mdb_NextName(buf), nullptr);
    EXPECT_STREQ(buf, "R16B");

    // Standing on an extension motor when it is flushed ends the iteration.
    ASSERT_NE(mdb_FirstName(buf), nullptr);
    EXPECT_STREQ(buf, "ITER");
    mdb_FlushExtensions();
    std::strcpy(buf, "junk");
    EXPECT_EQ(mdb_NextName(buf), nullptr);
    EXPECT_STREQ(buf, "");
    ASSERT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_NextName(buf), nullptr);

    // Standing on a built-in motor, a flush does not matter.
    ASSERT_NE(mdb_FirstName(buf), nullptr);
    ASSERT_NE(mdb_NextName(buf), nullptr);
    EXPECT_STREQ(buf, "R16C");
    mdb_FlushExtensions();
    ASSERT_NE(mdb_NextName(buf), nullptr);
    EXPECT_STREQ(buf, "R16B");
}

// ---- bad input ----

TEST_F(MdbExtend, BinaryFilesAreInvalidAndChangeNothing)
{
    std::mt19937 rng(700);
    std::string noise(64 * 1024, '\0');
    for (char &c : noise)
        c = static_cast<char>(rng());
    noise[0] = '\x7f'; // not a comment
    std::string path = dir.Write("NOISE.MDE", noise);
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);

    // NUL bytes inside an otherwise good line.
    std::string line = DefinitionLine();
    line[line.find(' ')] = '\0';
    path = dir.Write("NUL.MDE", line);
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);
    EXPECT_EQ(AllNames().size(), 232u);
}

TEST_F(MdbExtend, NumbersMustParseWholeAndBeFinite)
{
    const std::string tail = " 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1"; // 19 more numbers
    const char *bad[] = {"1.5x", "1,5", "--1", "+-1", "0x", "abc", "1e", "nan", "NaN", "inf",
                         "-inf", "infinity", "1e999", "-1e999", "nan(1)", "1..2", "."};
    for (const char *token : bad) {
        std::string path = dir.Write("BAD.MDE", std::string(token) + tail);
        EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID) << token;
        EXPECT_EQ(mdb_Exists("BAD"), 0) << token;
    }
    // Valid C notation: signs, exponents, hexadecimal, no digits before the point.
    const struct { const char *token; double value; } good[] = {
        {"+2", 2}, {"-2.5", -2.5}, {"1e3", 1000}, {"2.5E-2", 0.025}, {".5", 0.5},
        {"5.", 5}, {"0x1p3", 8}, {"-0X10", -16}, {"0", 0}};
    for (const auto &g : good) {
        mdb_FlushExtensions();
        std::string path = dir.Write("GOOD.MDE", std::string(g.token) + tail);
        EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK) << g.token;
        EXPECT_EQ(mdb_Type("GOOD"), g.value) << g.token;
    }
    // NaN or infinity anywhere in the line, even as the twentieth number.
    mdb_FlushExtensions();
    std::string path = dir.Write("LAST.MDE", "1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 inf");
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);
}

TEST_F(MdbExtend, HugeFilesAreReadInBoundedMemory)
{
    // Four megabytes of comments before the definition.
    std::string comments;
    std::string commentLine = "# " + std::string(100, '-') + "\n";
    while (comments.size() < 4u * 1024 * 1024)
        comments += commentLine;
    std::string path = dir.Write("HUGE.MDE", comments + DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("HUGE"), 1);

    // One line of four megabytes without a line end.
    path = dir.Write("ONELINE.MDE", DefinitionLine() + std::string(4u * 1024 * 1024, '9'));
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID);
    EXPECT_EQ(mdb_Exists("ONELINE"), 0);

    // Megabytes of blanks are a blank line.
    path = dir.Write("BLANKS.MDE", std::string(1024 * 1024, ' ') + "\n" + DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("BLANKS"), 1);
}

TEST_F(MdbExtend, TheNameIsTheBaseNameAndMustBePrintable)
{
    std::filesystem::create_directories(dir.Path() / "sub.dir");
    std::string path = dir.Write("sub.dir/IN.SUB.MDE", DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("IN.SUB"), 1);
    path = dir.Write("NOEXT", DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_OK);
    EXPECT_EQ(mdb_Exists("NOEXT"), 1);

    // A backslash is no folder separator here, but no motor name may hold one; nor blanks,
    // control characters or non-ASCII bytes, and a name cannot be empty.
    for (const char *file : {"a\\b.MDE", "MY MOT.MDE", ".MDE", "tab\tx.MDE", "M\xc3\xb6t.MDE"}) {
        path = dir.Write(file, DefinitionLine());
        EXPECT_EQ(mdb_Extend(path.c_str(), Recorder), MDB_EXTEND_INVALID) << file;
    }
    EXPECT_EQ(AllNames().size(), 234u);
}

TEST_F(MdbExtend, TheHandlerMayCallBackIntoTheLibrary)
{
    static int seenExists = -1;
    static size_t seenCount = 0;
    auto handler = [](const char *, const char *, const char *name) {
        seenExists = mdb_Exists(name);
        seenCount = AllNames().size();
        return 0;
    };
    std::string path = dir.Write("BACK.MDE", DefinitionLine() + "\n" + DefinitionLine());
    EXPECT_EQ(mdb_Extend(path.c_str(), handler), MDB_EXTEND_OK);
    EXPECT_EQ(seenExists, 1);
    EXPECT_EQ(seenCount, 233u);
}

} // namespace
