// Numbers as text: the C-notation texts and reads of files, the line and the command line, the
// user's separator where a window asks for it, and all of it unchanged under a C library locale
// with a decimal comma (a Qt program takes LC_NUMERIC from the user's environment).
#include "CommaLocale.h"

#include "tools700/common/NumberText.h"

#include <clocale>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace tools700::numtext;

namespace {

void ExpectTextsInCNotation()
{
    EXPECT_EQ(Fixed(12.5, 6), "12.500000");
    EXPECT_EQ(Fixed(-0.25, 0), "-0");
    EXPECT_EQ(Fixed(2.5, 3, ','), "2,500");
    EXPECT_EQ(General(0.1 + 0.2), "0.3");
    EXPECT_EQ(General(1e7), "10000000");
    EXPECT_EQ(General(1e20), "1e+20");
    EXPECT_EQ(General(-0.0), "0") << "no -0";
    EXPECT_EQ(General(0.21188, ','), "0,21188");
    EXPECT_EQ(General(1.0 / 3, kCPoint, 6), "0.333333");
    EXPECT_EQ(Shortest(0.1), "0.1");
    EXPECT_EQ(Shortest(733), "733");
    EXPECT_EQ(Fixed15(2.5, 3), "2.500");
    EXPECT_EQ(Fixed15(-0.0, 3), "0.000") << "no -0.000";
    EXPECT_EQ(Fixed15(1e20, 3), "1.00000000000000E+20");
    EXPECT_EQ(Fixed15(1e20, 3, ','), "1,00000000000000E+20");
    EXPECT_EQ(Fixed15(123456789.123456789, 3), "123456789.123");
    double v = 0;
    const char *end = nullptr;
    ASSERT_TRUE(ReadNumber(" 12.5 rest", v, &end));
    EXPECT_EQ(v, 12.5);
    EXPECT_STREQ(end, " rest");
    EXPECT_FALSE(ReadNumber("x", v, nullptr));
}

} // namespace

TEST(NumberText, WritesCNotationAndTheGivenSeparator) { ExpectTextsInCNotation(); }

TEST(NumberText, ReadsWhatTheUserTypes)
{
    EXPECT_EQ(Parse("12"), 12.0);
    EXPECT_EQ(Parse("  -2.5e3 "), -2500.0);
    EXPECT_EQ(Parse(".5"), 0.5);
    EXPECT_EQ(Parse("+7."), 7.0);
    EXPECT_EQ(Parse("-1E3"), -1000.0);
    EXPECT_EQ(Parse("1,25", ','), 1.25);
    EXPECT_EQ(Parse("1.25", ','), 1.25) << "'.' is read under every locale";
    for (const char *bad : {"", " ", "abc", "1,25", "1.2.3", "0x10", "nan", "inf", "1e", "1e999", "--1", "1 2", "e5",
                            "12a", "1,000.5"})
        EXPECT_FALSE(Parse(bad).has_value()) << '"' << bad << '"';
    EXPECT_FALSE(Parse("1.000,5", ',').has_value()) << "no group separators";
    EXPECT_EQ(NotANumberText("12a"), "'12a' is not a valid floating point value");
}

TEST(NumberText, ACommaLocaleOfTheCLibraryChangesNothing)
{
    const testutil::CommaLocale comma;
    if (!comma.active)
        GTEST_SKIP() << "no decimal-comma locale on this machine (locales not installed)";
    ASSERT_EQ(*std::localeconv()->decimal_point, ',');
    ExpectTextsInCNotation();
    EXPECT_EQ(Parse("2.5"), 2.5);
}
