// Motor definition files: the 20 fields, their units and the six-decimal precision.
#include "TempDir.h"
#include "tools700/common/Error.h"
#include "tools700/config/Motor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace tools700;
using testutil::ReadText;
using testutil::TempDir;
using testutil::WriteText;

namespace {
std::vector<std::string> Fields(const std::string &line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string f;
    while (in >> f)
        out.push_back(f);
    return out;
}
} // namespace

TEST(MotorFile, MetricRotaryMotorIsWrittenAsOneLineOfTwentyNumbers)
{
    TempDir dir;
    Motor m;
    m.Set("MotorType", 0);
    m.Set("CountsPerX", 4096);
    m.Set("Inertia", 0.0017);
    m.Set("Inductance", 3.5);
    m.Set("RHot", 1.25);
    m.Set("PoleCount", 8);
    m.Set("ICS", 4.2);
    m.Set("CommOffset", 120);
    m.Set("CommSrc", 1);
    m.Set("ShowMetric", 1);
    m.Set("RotaryKe", 0.75);
    m.Set("LinearKe", 9);
    m.Set("ThermalTimeConst", 20);
    m.Set("MaxVBus", 640);
    const std::string file = dir.File("MYMOT.MDE");
    EXPECT_EQ(m.Save(file, 0), 1);
    EXPECT_FALSE(m.IsModified());
    const std::string text = ReadText(file);
    EXPECT_EQ(text.find('\n'), std::string::npos) << "no line end";
    auto f = Fields(text);
    ASSERT_EQ(f.size(), 20u);
    EXPECT_EQ(f[0], "0.000000");
    EXPECT_EQ(f[1], "4096.000000");
    EXPECT_EQ(f[2], "0.750000") << "field 3 is RotaryKe for a rotary motor";
    EXPECT_EQ(f[3], "0.000002") << "inertia in kg m2 keeps six decimals only";
    EXPECT_EQ(f[7], "4.200000");
    EXPECT_EQ(f[10], "1.000000");
    EXPECT_EQ(f[16], "0.750000");
    EXPECT_EQ(f[18], "640.000000");
    EXPECT_EQ(f[19], "0.000000") << "PeakToCont is always written as 0";
    EXPECT_EQ(text, f[0] + " " + f[1] + " " + f[2] + " " + f[3] + " " + f[4] + " " + f[5] + " " +
                        f[6] + " " + f[7] + " " + f[8] + " " + f[9] + " " + f[10] + " " + f[11] +
                        " " + f[12] + " " + f[13] + " " + f[14] + " " + f[15] + " " + f[16] + " " +
                        f[17] + " " + f[18] + " " + f[19]);

    Motor back;
    EXPECT_EQ(back.Load(file), 1);
    EXPECT_FALSE(back.IsModified());
    EXPECT_DOUBLE_EQ(back.Get("Inertia"), 0.002);
    EXPECT_EQ(back.Get("CountsPerX"), 4096.0);
    EXPECT_EQ(back.Get("RotaryKe"), 0.75);
    EXPECT_EQ(back.Get("MaxVBus"), 640.0);
}

TEST(MotorFile, EnglishLinearMotorRoundTripsWithinTheFilesPrecision)
{
    TempDir dir;
    Motor m;
    m.Set("MotorType", 1);
    m.Set("ShowMetric", 0);
    m.Set("LinearKe", 1.75);    // V per in/s
    m.Set("RotaryKe", 30);      // V per krpm
    m.Set("PoleSpacing", 1.2);  // inches
    m.Set("CoilWeight", 3.3);   // lb
    m.Set("Inertia", 25);       // 10^-3 lb in s^2
    const std::string file = dir.File("LIN1.MDE");
    m.Save(file, 733);
    auto f = Fields(ReadText(file));
    ASSERT_EQ(f.size(), 20u);
    EXPECT_EQ(f[15], "68.897638") << "LinearKe stored in V per m/s";
    EXPECT_EQ(f[2], f[15]) << "field 3 is LinearKe for a linear motor";
    EXPECT_EQ(f[11], "3.048000") << "pole spacing stored in cm";
    EXPECT_EQ(f[17], "1.496855") << "coil weight stored in kg";
    EXPECT_EQ(f[3], "0.002833");

    Motor back;
    back.Load(file);
    EXPECT_NEAR(back.Get("LinearKe"), 1.75, 1e-6);
    EXPECT_NEAR(back.Get("PoleSpacing"), 1.2, 1e-6);
    EXPECT_NEAR(back.Get("CoilWeight"), 3.3, 1e-6);
    EXPECT_NEAR(back.Get("RotaryKe"), 30, 1e-4);
    EXPECT_NEAR(back.Get("Inertia"), 25, 0.01);
    EXPECT_EQ(back.Get("ShowMetric"), 0.0);
    EXPECT_EQ(back.Get("MotorType"), 1.0);
}

TEST(MotorFile, ReadingCommentsSeveralLinesAndBadLines)
{
    TempDir dir;
    const std::string file = dir.File("M2.MDE");
    std::string line1 = "0 1 0.5 0.001 2 3 4 5 6 1 1 0 0 0 10 0 0.5 0 320 0";
    std::string line2 = "0 2 0.5 0.003 2 3 6 5 6 1 1 0 0 0 10 0 0.5 0 320 0 extra";
    WriteText(file, "# my motor\r\n\r\n  \t\r\n" + line1 + "\r\n" + line2);
    Motor m;
    m.Load(file);
    EXPECT_EQ(m.Get("CountsPerX"), 2.0) << "the last line wins";
    EXPECT_EQ(m.Get("PoleCount"), 6.0);
    EXPECT_EQ(m.Get("Inertia"), 3.0);

    WriteText(file, "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18");
    try {
        m.Load(file);
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), "Error reading file " + file);
    }
    EXPECT_THROW(m.Load(dir.File("none.MDE")), Error);
}
