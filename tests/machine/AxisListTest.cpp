// Axis lists as users write them.
#include "tools700/machine/AxisList.h"

#include <gtest/gtest.h>

using namespace tools700::machine;

TEST(AxisList, RangesAndSinglesInTheOrderWritten)
{
    std::string error;
    EXPECT_EQ(ParseAxisList("1..4", error), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ParseAxisList("7, 2-3,2,255", error), (std::vector<int>{7, 2, 3, 255})) << "each address once";
    EXPECT_EQ(DefaultScanAxes().size(), 32u);
    EXPECT_EQ(AxisListText({1, 2, 3, 4, 7, 9, 10}), "1..4, 7, 9, 10");
    EXPECT_EQ(AxisListText(DefaultScanAxes()), "1..32");
    for (const char *bad : {"", "0", "256", "4..2", "1,,2", "x", "1..", "3-", "1.5"}) {
        error.clear();
        EXPECT_FALSE(ParseAxisList(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}
