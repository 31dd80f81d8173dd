// The generator of starting configurations, with motors defined by real extension files.
#include "TempDir.h"
#include "mdb700.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Generator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tools700;

namespace {
int KeepFirst(const char *, const char *, const char *) { return 0; }

struct MotorSpec {
    double type = 0, counts = 0, ke = 0.5, inertia = 0.0001, inductance = 4, rhot = 2, poles = 8,
           ics = 1.5, commOffset = 30, commSrc = 1, metric = 1, poleSpacing = 0, encRes = 0,
           hallOffset = 60, thermal = 20, linKe = 0, rotKe = 0, coil = 0, maxV = 320, peak = 5;
};

class Generator : public ::testing::Test {
protected:
    void SetUp() override { mdb_FlushExtensions(); }
    void TearDown() override { mdb_FlushExtensions(); }

    void AddMotor(const std::string &name, const MotorSpec &m)
    {
        const std::string file = dir.File(name + ".MDE");
        char line[1024];
        std::snprintf(line, sizeof line,
                      "%.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g "
                      "%.9g %.9g %.9g %.9g %.9g",
                      m.type, m.counts, m.ke, m.inertia, m.inductance, m.rhot, m.poles, m.ics,
                      m.commOffset, m.commSrc, m.metric, m.poleSpacing, m.encRes, m.hallOffset,
                      m.thermal, m.linKe, m.rotKe, m.coil, m.maxV, m.peak);
        testutil::WriteText(file, line);
        ASSERT_EQ(mdb_Extend(file.c_str(), KeepFirst), 0);
        ASSERT_EQ(mdb_Exists(name.c_str()), 1);
    }

    testutil::TempDir dir;
    IoMap io{0, 0x8001, 0x8005, 0x8006, 0x8007, 0x8008, 0, 1, 0, 0, 3};
};
} // namespace

TEST(NiceValueRule, OneTwoFiveSteps)
{
    EXPECT_EQ(NiceValue(7.3), 10.0);
    EXPECT_EQ(NiceValue(3.7), 5.0);
    EXPECT_EQ(NiceValue(2.5), 2.0);
    EXPECT_EQ(NiceValue(2.0), 2.0);
    EXPECT_EQ(NiceValue(1.9), 1.0);
    EXPECT_EQ(NiceValue(0.0), 0.0);
    EXPECT_EQ(NiceValue(-4.0), 0.0);
    EXPECT_EQ(NiceValue(0.25), 1.0);
    EXPECT_DOUBLE_EQ(NiceValue(0.03), 0.1);
    EXPECT_EQ(NiceValue(430.0), 500.0);
    EXPECT_EQ(NiceValue(0.5729), 1.0);
}

TEST_F(Generator, RotaryMotorGainsAndLimits)
{
    AddMotor("ROT05", MotorSpec{});
    Cfg cfg;
    FillDefaults(cfg, "ROT05", "SV732", 1, 2.0, io);
    EXPECT_EQ(cfg.Get("CmdGain"), 1.0);
    EXPECT_EQ(cfg.Get("Dm2Gain"), 1.0);
    EXPECT_NEAR(cfg.Get("VelLmtHi"), 300 * 1.5 / 0.5 * 9.549296585786658, 1e-9);
    EXPECT_NEAR(cfg.Get("VelLmtHi"), 8594.37, 0.01);
    EXPECT_EQ(cfg.Get("VelLmtLo"), -cfg.Get("VelLmtHi"));
    EXPECT_DOUBLE_EQ(cfg.Get("Dm1Gain"), 5 / 7.5);
    EXPECT_EQ(cfg.Get("EncIn"), 1024.0);
    EXPECT_EQ(cfg.Get("EncInF0"), 1600000.0);
    EXPECT_EQ(cfg.Get("Model"), 732.0);
    EXPECT_EQ(cfg.Get("CommOff"), 30.0);
    EXPECT_EQ(cfg.Get("CommSrc"), 1.0);
    EXPECT_EQ(cfg.Get("PoleCount"), 8.0);
    EXPECT_EQ(cfg.Get("HallOffset"), 60.0);
    EXPECT_NEAR(cfg.Get("Kip"), 4 * 6.283185307, 1e-9);
    EXPECT_EQ(cfg.Get("Kvi"), 5.0);
    EXPECT_NEAR(cfg.Get("Kvp"), (0.0001 + 0.0001 * 2) * 75 * 6.283185307 / (0.5 * 0.866025), 1e-12);
    EXPECT_EQ(cfg.Get("ARF0"), 150.0);
    EXPECT_EQ(cfg.Get("ARF1"), 750.0);
    EXPECT_EQ(cfg.Get("ItF0"), 0.019);
    EXPECT_NEAR(cfg.Get("I2tF0"), 1 / (20 * 6.283185307 * 60), 1e-15);
    EXPECT_EQ(cfg.Get("InpMap4"), 0x8007);
    EXPECT_EQ(cfg.Get("OutMap4"), 3.0);

    AddMotor("ROT01", MotorSpec{.ke = 0.1});
    FillDefaults(cfg, "ROT01", "SVE733", 1, 0, io);
    EXPECT_EQ(cfg.Get("VelLmtHi"), 21039.0);
    EXPECT_EQ(cfg.Get("VelLmtLo"), -21039.0);
    EXPECT_EQ(cfg.Get("ItF0"), 0.038);
}

TEST_F(Generator, TorqueAndStepModes)
{
    AddMotor("ROT05", MotorSpec{});
    Cfg cfg;
    FillDefaults(cfg, "ROT05", "SV732", 0, 5.0, io);
    EXPECT_EQ(cfg.Get("Kvp"), 1.0);
    EXPECT_EQ(cfg.Get("Kvi"), 0.0);
    EXPECT_EQ(cfg.Get("ARF0"), 100000.0);
    EXPECT_EQ(cfg.Get("ARF1"), 100000.0);
    EXPECT_EQ(cfg.Get("VelLmtHi"), 21039.0);

    FillDefaults(cfg, "ROT05", "SV732", 3, 0, io);
    EXPECT_EQ(cfg.Get("BlkType"), 2.0);
    EXPECT_EQ(cfg.Get("EncMode"), 1.0);
    EXPECT_EQ(cfg.Get("EncInF0"), 800000.0);
    EXPECT_EQ(cfg.Get("PulsesIn"), 250.0);
    EXPECT_EQ(cfg.Get("PulsesOut"), 16384.0);
}

TEST_F(Generator, CurrentLimitsAndThermalProtection)
{
    AddMotor("PK5", MotorSpec{.ics = 1.5, .peak = 5});
    AddMotor("PK3", MotorSpec{.ics = 1.5, .peak = 3});
    AddMotor("ZXQ12", MotorSpec{.ics = 1.5, .thermal = 10, .peak = 5});
    Cfg cfg;
    FillDefaults(cfg, "PK5", "SV732", 1, 0, io);
    EXPECT_EQ(cfg.Get("ILmtPlus"), 100.0);
    EXPECT_EQ(cfg.Get("ILmtMinus"), 100.0);
    EXPECT_EQ(cfg.Get("ItThresh"), 60.0);
    EXPECT_NEAR(cfg.Get("I2tThresh"), 4.8, 1e-12);
    FillDefaults(cfg, "PK3", "SV732", 1, 0, io);
    EXPECT_NEAR(cfg.Get("ILmtPlus"), 60.0, 1e-12);
    FillDefaults(cfg, "ZXQ12", "SV732", 1, 0, io);
    EXPECT_NEAR(cfg.Get("I2tThresh"), 7.5, 1e-12);
    EXPECT_NEAR(cfg.Get("I2tF0"), 1 / (10 * 0.2 * 6.283185307 * 60), 1e-15);
}

TEST_F(Generator, LinearMotorFormulas)
{
    MotorSpec lin;
    lin.type = 1;
    lin.ke = 100;
    lin.poleSpacing = 4;
    lin.encRes = 1;
    lin.coil = 2;
    lin.poles = 0;
    AddMotor("LIN100", lin);
    Cfg cfg;
    FillDefaults(cfg, "LIN100", "SV733", 1, 1.0, io);
    EXPECT_EQ(cfg.Get("PoleCount"), 2.0);
    EXPECT_EQ(cfg.Get("EncIn"), 4.0 / 1 * 2500);
    EXPECT_EQ(cfg.Get("CmdGain"), NiceValue(300.0 / 100 * 0.001 * 0.1 * 60 * (100.0 / 4)));
    EXPECT_NEAR(cfg.Get("VelLmtHi"), 300 * 1.5 / 100 * 60 * (100.0 / 4), 1e-9);
    EXPECT_NEAR(cfg.Get("Kvp"), (1 / (100 * 0.866025)) * (75 * (2 + 2 * 1.0) * 4) * 0.01, 1e-12);
}

TEST_F(Generator, MotorNamePackingAndHarmonics)
{
    AddMotor("ABCDEFGH", MotorSpec{});
    Cfg cfg;
    cfg.Set("CosHarmCoeff19", 0.25);
    FillDefaults(cfg, "ABCDEFGH", "SV732", 2, 0, io);
    EXPECT_EQ(cfg.Get("Motor1"), static_cast<double>(0x44434241u));
    EXPECT_EQ(cfg.Get("Motor2"), static_cast<double>(0x48474645u));
    EXPECT_EQ(PackMotorName("ABC", 0), static_cast<double>(0x434241));
    EXPECT_EQ(PackMotorName("ABCD", 1), 0.0);

    // Extension motors have the ideal profile: cosine 0.5 and sine 0.866025 at n = 1.
    EXPECT_NEAR(cfg.Get("CosHarmCoeff1"), 0.0, 1e-6);
    EXPECT_NEAR(cfg.Get("SinHarmCoeff1"), -0.4330127, 1e-6);
    for (int n : {2, 4, 5, 7, 8, 10, 11, 13, 14, 16, 17}) {
        EXPECT_EQ(cfg.Get("CosHarmCoeff" + std::to_string(n)), 0.0) << n;
        EXPECT_EQ(cfg.Get("SinHarmCoeff" + std::to_string(n)), 0.0) << n;
    }
    EXPECT_EQ(cfg.Get("CosHarmCoeff19"), 0.25) << "harmonic 19 is left as it was";

    Cfg c740(740);
    const double before = c740.Get("Kvp");
    SetHarmonics(c740, "ABCDEFGH");
    EXPECT_FALSE(c740.IsModified());
    EXPECT_EQ(c740.Get("Kvp"), before);
}

TEST_F(Generator, ModeFromBlocksRecoversEveryModeInBothFamilies)
{
    AddMotor("ROT05", MotorSpec{});
    for (int mode = 0; mode <= 7; ++mode) {
        Cfg c730;
        FillDefaults(c730, "ROT05", "SV733", mode, 1.0, DefaultIoMap(false, mode));
        EXPECT_EQ(ModeFromBlocks(c730), mode);
        Cfg c740(740);
        FillDefaults(c740, "ROT05", "SV743", mode, 1.0, DefaultIoMap(true, mode));
        EXPECT_EQ(ModeFromBlocks(c740), mode);
        EXPECT_EQ(c740.Get("InputMap1"), 0x8001);
        EXPECT_EQ(c740.Get("Model"), 743.0);
    }
}

TEST_F(Generator, UpdateForMotorChangesOnlyTheMotorAndModeFields)
{
    AddMotor("ROT05", MotorSpec{});
    AddMotor("OTHER", MotorSpec{.ke = 0.9, .poles = 4, .hallOffset = 120});
    Cfg cfg;
    FillDefaults(cfg, "ROT05", "SV733", 1, 0, io);
    Cfg before;
    before.Assign(cfg);
    UpdateForMotor(cfg, "OTHER", "ignored", 7);
    EXPECT_EQ(cfg.Get("BlkType"), 2.0);
    EXPECT_EQ(cfg.Get("EncMode"), 3.0);
    EXPECT_EQ(cfg.Get("PoleCount"), 4.0);
    EXPECT_EQ(cfg.Get("HallOffset"), 120.0);
    EXPECT_EQ(cfg.Get("Motor1"), PackMotorName("OTHER", 0));
    EXPECT_EQ(cfg.Get("Motor2"), PackMotorName("OTHER", 1));
    EXPECT_EQ(cfg.Get("Kvp"), before.Get("Kvp"));
    EXPECT_EQ(cfg.Get("CmdGain"), before.Get("CmdGain"));
}

TEST(DefaultIoMaps, CommonEntriesAndThe730ModeRows)
{
    for (bool f740 : {false, true})
        for (int mode = 0; mode <= 7; ++mode) {
            IoMap m = DefaultIoMap(f740, mode);
            EXPECT_EQ(m[1], 0x8001);
            EXPECT_EQ(m[7], 1);
            EXPECT_EQ(m[10], 3);
            EXPECT_EQ(m[8], 0);
            EXPECT_EQ(m[9], 0);
            if (f740 || mode == 3 || mode == 4) {
                EXPECT_EQ(m[2], 0x8005);
                EXPECT_EQ(m[3], 0x8006);
                EXPECT_EQ(m[4], 0);
                EXPECT_EQ(m[5], 0);
            }
            EXPECT_EQ(m[6], 0);
        }
    IoMap m7 = DefaultIoMap(false, 7);
    EXPECT_EQ(m7[2], 0x800B);
    EXPECT_EQ(m7[3], 0x800C);
    EXPECT_EQ(m7[4], 0x800D);
    EXPECT_EQ(m7[5], 0x800A);
    IoMap m1 = DefaultIoMap(false, 1);
    EXPECT_EQ(m1[4], 0x8009);
    EXPECT_EQ(m1[5], 0x8008);
    EXPECT_EQ(DefaultIoMap(false, 6)[4], 0x8007);
}

TEST(MotorNamePacking, EveryByteRoundTrips)
{
    for (const std::string name : {"ABCDEFGH", "M1", "ABC\xC9", "\xFF\xFE\x80Z", "ABCDE"}) {
        EXPECT_EQ(UnpackMotorName(PackMotorName(name, 0), PackMotorName(name, 1)), name) << name;
    }
    // A word with its top bit set may come from the drive as a negative number.
    const double high = PackMotorName("ABC\xC9", 0);
    EXPECT_EQ(UnpackMotorName(high - 4294967296.0, 0), "ABC\xC9");
    EXPECT_EQ(UnpackMotorName(0, PackMotorName("EFGH", 0)), "");
    EXPECT_EQ(UnpackMotorName(std::nan(""), 0), "");
}
