// The built-in motors through the exported C interface: lookups, iteration and the facts the
// program relies on for every built-in motor.
#include "MotorNames.h"
#include "mdb700.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using motordbtest::AllNames;

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsIdeal(const std::string &m)
{
    for (int i = 0; i < 20; ++i) {
        if (mdb_CosHarm(m.c_str(), i) != (i == 1 ? 0.5 : 0.0))
            return false;
        if (mdb_SinHarm(m.c_str(), i) != (i == 1 ? 0.8660254 : 0.0))
            return false;
    }
    return true;
}

class BuiltinTable : public ::testing::Test {
protected:
    void SetUp() override { mdb_FlushExtensions(); }
};

TEST_F(BuiltinTable, Iterates232UniqueNamesNewestFirst)
{
    std::vector<std::string> names = AllNames();
    ASSERT_EQ(names.size(), 232u);
    std::set<std::string> lower;
    for (const std::string &n : names) {
        EXPECT_GE(n.size(), 4u) << n;
        EXPECT_LE(n.size(), 6u) << n;
        EXPECT_TRUE(lower.insert(Lower(n)).second) << n << " twice";
        EXPECT_EQ(mdb_Exists(n.c_str()), 1) << n;
    }
    // The table's first row comes last, its last row first.
    EXPECT_EQ(names.back(), "KS041A");
    EXPECT_EQ(names.front(), "R16C");
}

TEST_F(BuiltinTable, IterationEndStaysAtTheEnd)
{
    char buf[9];
    ASSERT_NE(mdb_FirstName(buf), nullptr);
    int count = 1;
    while (mdb_NextName(buf))
        ++count;
    EXPECT_EQ(count, 232);
    for (int i = 0; i < 3; ++i) {
        std::strcpy(buf, "junk");
        EXPECT_EQ(mdb_NextName(buf), nullptr);
        EXPECT_STREQ(buf, "");
    }
    EXPECT_EQ(mdb_FirstName(nullptr), nullptr);
    EXPECT_EQ(mdb_NextName(nullptr), nullptr);
}

TEST_F(BuiltinTable, EveryMotorKeepsTheFixedFieldsAndRanges)
{
    for (const std::string &s : AllNames()) {
        const char *m = s.c_str();
        SCOPED_TRACE(s);
        EXPECT_EQ(mdb_Type(m), 0.0);
        EXPECT_EQ(mdb_CountsPerX(m), 0.0);
        EXPECT_EQ(mdb_CommSrc(m), 0.0);
        EXPECT_EQ(mdb_HallOffset(m), 0.0);
        EXPECT_EQ(mdb_EncoderResolution(m), 0.0);
        EXPECT_EQ(mdb_PoleSpacing(m), 0.0);
        EXPECT_EQ(mdb_CoilWeight(m), 0.0);
        EXPECT_GE(mdb_Ke(m), 0.04);
        EXPECT_LE(mdb_Ke(m), 2.77);
        EXPECT_GE(mdb_Inertia(m), 1.7e-06);
        EXPECT_LE(mdb_Inertia(m), 0.0139);
        EXPECT_GE(mdb_Inductance(m), 0.6);
        EXPECT_LE(mdb_Inductance(m), 77.1);
        EXPECT_GE(mdb_RHot(m), 0.09);
        EXPECT_LE(mdb_RHot(m), 86.0);
        EXPECT_GE(mdb_ICS(m), 0.94);
        EXPECT_LE(mdb_ICS(m), 85.4);
        EXPECT_GE(mdb_CommOffset(m), 0.0);
        EXPECT_LE(mdb_CommOffset(m), 240.0);
        EXPECT_GE(mdb_ThermalTimeConst(m), 1.5);
        EXPECT_LE(mdb_ThermalTimeConst(m), 72.0);
        double poles = mdb_PoleCount(m);
        EXPECT_TRUE(poles == 4 || poles == 6 || poles == 8 || poles == 10) << poles;
        double vbus = mdb_MaxVBus(m);
        EXPECT_TRUE(vbus == 640 || vbus == 320 || vbus == 0) << vbus;
        double ratio = mdb_PeakToCont(m);
        EXPECT_TRUE(ratio == 5 || ratio == 4 || ratio == 3 || ratio == 0) << ratio;
    }
}

TEST_F(BuiltinTable, Has190IdealAnd42MeasuredProfiles)
{
    int ideal = 0, measured = 0, negative = 0, reachesNineteen = 0;
    for (const std::string &s : AllNames()) {
        const char *m = s.c_str();
        if (IsIdeal(s)) {
            ++ideal;
            EXPECT_EQ(mdb_Ave_normT6stp(m), 0.95493) << s;
        } else {
            ++measured;
            EXPECT_GE(mdb_Ave_normT6stp(m), -0.948455) << s;
            EXPECT_LE(mdb_Ave_normT6stp(m), 0.953933) << s;
            negative += mdb_Ave_normT6stp(m) < 0;
            reachesNineteen += mdb_CosHarm(m, 19) != 0 || mdb_SinHarm(m, 19) != 0;
        }
    }
    EXPECT_EQ(ideal, 190);
    EXPECT_EQ(measured, 42);
    EXPECT_GT(negative, 0);
    EXPECT_GT(reachesNineteen, 0);
}

TEST_F(BuiltinTable, OffersMotorsTheGeneratorTreatsAsZxq)
{
    int zxq = 0;
    for (const std::string &s : AllNames())
        zxq += s.rfind("ZXQ", 0) == 0;
    EXPECT_GE(zxq, 3);
}

TEST_F(BuiltinTable, LookupsIgnoreLetterCase)
{
    ASSERT_GT(mdb_Ke("KS041A"), 0.0);
    for (const char *spelling : {"ks041a", "Ks041A", "kS041a"}) {
        EXPECT_EQ(mdb_Ke(spelling), mdb_Ke("KS041A")) << spelling;
        EXPECT_EQ(mdb_Exists(spelling), 1) << spelling;
        EXPECT_EQ(mdb_CosHarm(spelling, 1), 0.5) << spelling;
    }
    EXPECT_EQ(mdb_Inertia("zxq061"), mdb_Inertia("ZXQ061"));
}

TEST_F(BuiltinTable, UnknownNamesAndHarmonicIndexesReadAsZero)
{
    for (const char *m : {"NOSUCH", "", "KS041", "KS041AA", " KS041A"}) {
        SCOPED_TRACE(m);
        EXPECT_EQ(mdb_Exists(m), 0);
        EXPECT_EQ(mdb_Ke(m), 0.0);
        EXPECT_EQ(mdb_Inertia(m), 0.0);
        EXPECT_EQ(mdb_ICS(m), 0.0);
        EXPECT_EQ(mdb_Ave_normT6stp(m), 0.0);
        EXPECT_EQ(mdb_CosHarm(m, 1), 0.0);
        EXPECT_EQ(mdb_SinHarm(m, 1), 0.0);
        EXPECT_EQ(mdb_MaxVBus(m), 0.0);
    }
    EXPECT_EQ(mdb_Exists(nullptr), 0);
    EXPECT_EQ(mdb_Ke(nullptr), 0.0);
    EXPECT_EQ(mdb_CosHarm(nullptr, 1), 0.0);
    for (int index : {-1, 20, 1000, -2147483647 - 1}) {
        EXPECT_EQ(mdb_CosHarm("KS041A", index), 0.0) << index;
        EXPECT_EQ(mdb_SinHarm("KS041A", index), 0.0) << index;
        EXPECT_EQ(mdb_CosHarm("D015", index), 0.0) << index;
    }
    EXPECT_NE(mdb_CosHarm("D015", 19), 0.0);
}

TEST(MdbLibraryTexts, VersionAndCompileTime)
{
    char version[27];
    EXPECT_EQ(mdb_Version(version), version);
    EXPECT_STREQ(version, "MDB700.DLL -- Release 1.03");
    char when[21];
    EXPECT_EQ(mdb_CompileTime(when), when);
    EXPECT_EQ(std::strlen(when), 20u);
    EXPECT_TRUE(std::regex_match(when, std::regex("[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} "
                                                  "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
        << when;
    EXPECT_EQ(mdb_Version(nullptr), nullptr);
}

} // namespace
