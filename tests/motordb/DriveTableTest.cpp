// The drive model table through the exported C interface.
#include "mdb700.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Drive {
    const char *name;
    double number, iPeak, busVoltage;
};

const Drive kExpected[] = {
    {"SV732", 732, 7.5, 300},    {"SV733", 733, 15, 300},     {"SV734", 734, 30, 300},
    {"SV742", 742, 7.5, 300},    {"SV743", 743, 15, 300},     {"SV744", 744, 30, 300},
    {"SVE733", 1733, 10.6, 600}, {"SVE735", 1735, 31.8, 600}, {"SVE743", 1743, 10.6, 600},
    {"SVE745", 1745, 31.8, 600},
};

TEST(DriveTable, HoldsTheTenModelsInOrderWithTheirFigures)
{
    for (int i = 0; i < 10; ++i) {
        const Drive &d = kExpected[i];
        char buf[7] = "xxxxxx";
        EXPECT_EQ(ddb_Name(i, buf), buf);
        EXPECT_STREQ(buf, d.name);
        EXPECT_EQ(ddb_Number(d.name), d.number) << d.name;
        EXPECT_EQ(ddb_IPeak(d.name), d.iPeak) << d.name;
        EXPECT_EQ(ddb_BusVoltage(d.name), d.busVoltage) << d.name;
        EXPECT_EQ(ddb_Exists(d.name), 1.0) << d.name;
        EXPECT_EQ(ddb_Index(d.number), i) << d.name;
    }
}

TEST(DriveTable, ListingByIndexStopsAtTheFirstEmptyName)
{
    std::vector<std::string> names;
    char buf[7];
    for (int i = 0; ddb_Name(i, buf), buf[0] != '\0'; ++i)
        names.push_back(buf);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "SV732");
    EXPECT_EQ(names.back(), "SVE745");

    char out[7] = "junk";
    EXPECT_EQ(ddb_Name(10, out), out);
    EXPECT_STREQ(out, "");
    std::snprintf(out, sizeof out, "junk");
    ddb_Name(-1, out);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ddb_Name(0, nullptr), nullptr);
}

TEST(DriveTable, NamesIgnoreLetterCase)
{
    EXPECT_EQ(ddb_IPeak("sve735"), 31.8);
    EXPECT_EQ(ddb_IPeak("Sve735"), 31.8);
    EXPECT_EQ(ddb_BusVoltage("sv744"), 300.0);
    EXPECT_EQ(ddb_Number("svE743"), 1743.0);
    EXPECT_EQ(ddb_Exists("sv732"), 1.0);
}

TEST(DriveTable, UnknownNamesAndNumbersReadAsNothing)
{
    for (const char *name : {"SV735", "SV73", "SV7322", "", " SV732", "SVE 733"}) {
        EXPECT_EQ(ddb_Exists(name), 0.0) << name;
        EXPECT_EQ(ddb_IPeak(name), 0.0) << name;
        EXPECT_EQ(ddb_BusVoltage(name), 0.0) << name;
        EXPECT_EQ(ddb_Number(name), 0.0) << name;
    }
    EXPECT_EQ(ddb_Exists(nullptr), 0.0);
    EXPECT_EQ(ddb_Number(nullptr), 0.0);
    EXPECT_EQ(ddb_Index(1743.0), 8);
    EXPECT_EQ(ddb_Index(999.0), -1);
    EXPECT_EQ(ddb_Index(732.5), -1);
    EXPECT_EQ(ddb_Index(0.0), -1);
}

} // namespace
