// The pieces of the extension file reader: line reading, line classification, numbers, names.
#include "ExtensionFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using mdb700::LineKind;
using mdb700::LineReader;

std::vector<LineReader::Line> ReadAll(const std::string &content)
{
    std::vector<LineReader::Line> lines;
    std::string copy = content;
    std::FILE *f = fmemopen(copy.empty() ? nullptr : copy.data(), copy.size(), "r");
    if (!f)
        return lines;
    LineReader reader(f);
    LineReader::Line line;
    while (reader.Next(line))
        lines.push_back(line);
    std::fclose(f);
    return lines;
}

TEST(LineReader, SplitsAtLineEndsAndKeepsALastLineWithoutOne)
{
    auto lines = ReadAll("a\n\nbb\r\nccc");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "a");
    EXPECT_EQ(lines[1].text, "");
    EXPECT_EQ(lines[2].text, "bb\r");
    EXPECT_EQ(lines[3].text, "ccc");
    EXPECT_EQ(ReadAll("x\n").size(), 1u);
    EXPECT_TRUE(ReadAll("").empty());

    std::string withNul("a\0b\nc", 5);
    lines = ReadAll(withNul);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, std::string("a\0b", 3));
}

TEST(LineReader, CutsOverlongLinesAndRemembersWhatWasSkipped)
{
    // Lines cross the reader's 64 KiB blocks and exceed the kept length.
    std::string blanks(70000, ' ');
    auto lines = ReadAll("x" + blanks + "\nshort\n#" + std::string(100000, 'z') + "y\nend");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].overlong);
    EXPECT_TRUE(lines[0].restBlank);
    EXPECT_EQ(lines[0].text.size(), mdb700::kMaxLineLength);
    EXPECT_EQ(lines[1].text, "short");
    EXPECT_FALSE(lines[1].overlong);
    EXPECT_TRUE(lines[2].overlong);
    EXPECT_FALSE(lines[2].restBlank);
    EXPECT_EQ(lines[3].text, "end");
}

LineKind Kind(const std::string &text, bool overlong = false, bool restBlank = true)
{
    LineReader::Line line{text, overlong, restBlank};
    double fields[mdb700::kFieldCount];
    return mdb700::ParseLine(line, fields);
}

TEST(ParseLine, ClassifiesLines)
{
    const std::string twenty = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19";
    EXPECT_EQ(Kind(""), LineKind::Ignored);
    EXPECT_EQ(Kind(" \t\r\v\f"), LineKind::Ignored);
    EXPECT_EQ(Kind("#"), LineKind::Ignored);
    EXPECT_EQ(Kind("  \t# 1 2 3"), LineKind::Ignored);
    EXPECT_EQ(Kind(twenty), LineKind::Definition);
    EXPECT_EQ(Kind("\t" + twenty + " 20 21 # and more"), LineKind::Definition);
    EXPECT_EQ(Kind("x" + twenty), LineKind::Invalid);
    EXPECT_EQ(Kind(twenty.substr(0, twenty.rfind(' '))), LineKind::Invalid);
    EXPECT_EQ(Kind("1 # " + twenty), LineKind::Invalid);
    // Overlong: a comment or nothing but blanks is still ignored; anything else is invalid.
    EXPECT_EQ(Kind("# long", true, false), LineKind::Ignored);
    EXPECT_EQ(Kind("   ", true, true), LineKind::Ignored);
    EXPECT_EQ(Kind("   ", true, false), LineKind::Invalid);
    EXPECT_EQ(Kind(twenty, true, true), LineKind::Invalid);
}

TEST(ParseLine, FillsTheFieldsInOrder)
{
    LineReader::Line line{"-1 2e1 0x10 .5 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20", false, true};
    double f[mdb700::kFieldCount] = {};
    ASSERT_EQ(mdb700::ParseLine(line, f), LineKind::Definition);
    EXPECT_EQ(f[0], -1);
    EXPECT_EQ(f[1], 20);
    EXPECT_EQ(f[2], 16);
    EXPECT_EQ(f[3], 0.5);
    EXPECT_EQ(f[19], 20);
    mdb700::MotorFigures m = mdb700::ExtensionFigures(f);
    EXPECT_EQ(m.type, -1);
    EXPECT_EQ(m.ke, 16);
    EXPECT_EQ(m.showMetric, 11);
    EXPECT_EQ(m.linearKe, 16);
    EXPECT_EQ(m.rotaryKe, 17);
    EXPECT_EQ(m.peakToCont, 20);
    EXPECT_EQ(m.cosHarm[1], 0.5);
    EXPECT_EQ(m.sinHarm[1], 0.866025);
    EXPECT_EQ(m.aveNormT6stp, 0.95493);
}

TEST(ParseNumber, AcceptsCNotationAndRefusesTheRest)
{
    double v = 0;
    EXPECT_TRUE(mdb700::ParseNumber("0x1.8p1", v));
    EXPECT_EQ(v, 3.0);
    EXPECT_TRUE(mdb700::ParseNumber("-0", v));
    EXPECT_TRUE(mdb700::ParseNumber("1e-300", v));
    EXPECT_EQ(v, 1e-300);
    for (const char *bad : {"", "+", "-", "1e400", "1e-400", "INF", "nan", "0x1p99999", "1 ",
                            "1,0", "١"})
        EXPECT_FALSE(mdb700::ParseNumber(bad, v)) << bad;
}

TEST(ExtensionNames, BaseNameAndValidity)
{
    EXPECT_EQ(mdb700::BaseName("/opt/700/MYMOT.MDE"), "MYMOT");
    EXPECT_EQ(mdb700::BaseName("MYMOT.mde"), "MYMOT");
    EXPECT_EQ(mdb700::BaseName("dir.x/A.B.MDE"), "A.B");
    EXPECT_EQ(mdb700::BaseName("dir.x/NOEXT"), "NOEXT");
    EXPECT_EQ(mdb700::BaseName("dir/"), "");
    EXPECT_EQ(mdb700::BaseName("c:\\x\\M.MDE"), "c:\\x\\M");
    EXPECT_TRUE(mdb700::IsValidMotorName("A"));
    EXPECT_TRUE(mdb700::IsValidMotorName("ABCDEFGH"));
    EXPECT_TRUE(mdb700::IsValidMotorName("M-1_(x)"));
    for (const char *bad : {"", "ABCDEFGHI", "A B", "A\\B", "A/B", "A\x7f", "\xe4"})
        EXPECT_FALSE(mdb700::IsValidMotorName(bad)) << bad;
}

} // namespace
