// Unit texts: fixed codes, and the rules that read another variable from a value set or,
// without one, from the drive.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <string>

#include "tools700/common/Error.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

using namespace tools700;

namespace {

// A value set as the configuration model keeps one: 0 for a name it does not hold.
class MapValues : public ValueLookup {
public:
    MapValues(std::initializer_list<std::pair<const std::string, double>> v) : values_(v) {}
    double Get(const std::string &name) const override
    {
        for (const auto &[k, v] : values_)
            if (CompareNames(k, name) == 0)
                return v;
        return 0.0;
    }
    void Set(const std::string &name, double v) { values_[name] = v; }

private:
    std::map<std::string, double> values_;
};

// A drive for the reader hook: answers from a fixed set, or fails with a link status.
std::atomic<int> gReads{0};
std::atomic<int> gStatus{0};
double gBlkType = 0, gRemoteFB = 0, gDMMap = 0;

int FakeDrive(const char *name, double *value)
{
    ++gReads;
    if (gStatus != 0)
        return gStatus;
    if (std::strcmp(name, "BlkType") == 0)
        *value = gBlkType;
    else if (std::strcmp(name, "RemoteFB") == 0)
        *value = gRemoteFB;
    else if (std::strcmp(name, "DM1Map") == 0 || std::strcmp(name, "DM2Map") == 0)
        *value = gDMMap;
    else
        return 1; // NO_SUCH_SYMBOL
    return 0;
}

class DriveReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gReads = 0;
        gStatus = 0;
        previous_ = SetDriveReader(&FakeDrive);
    }
    void TearDown() override { SetDriveReader(previous_); }

private:
    DriveReadFn previous_ = nullptr;
};

} // namespace

TEST(UnitText, FixedCodesNeedNoValues)
{
    const MapValues empty{};
    EXPECT_EQ(UnitText("VelCmd", &empty), "RPM");
    EXPECT_EQ(UnitText("velcmd"), "RPM");
    EXPECT_EQ(UnitText("Kvp", &empty), "amps/rad/sec");
    EXPECT_EQ(UnitText("AccelLmt"), "RPM/sec");
    EXPECT_EQ(UnitText("HSTemp"), "degrees(C)");
    EXPECT_EQ(UnitText("Move0Dwell"), "milliseconds");
    EXPECT_EQ(UnitText("BlkType"), "");
    EXPECT_EQ(UnitText("NVSave"), "");
    EXPECT_EQ(UnitText("NoSuchVar", &empty), "");
    EXPECT_EQ(UnitText(""), "");
    // a motor parameter is not a dictionary variable
    EXPECT_EQ(UnitText("Inertia"), "");
}

TEST(UnitText, RulesFromAValueSet)
{
    MapValues set{{"BlkType", 0}};
    EXPECT_EQ(UnitText("CmdGain", &set), "amps/volt");
    const std::pair<double, const char *> gains[] = {
        {0, "amps/volt"}, {1, "kRPM/volt"}, {2, "(No Effect)"}, {3, "???"},   {4, "amps/kHz"},
        {5, "kRPM/kHz"},  {6, "???"},       {8, "(No Effect)"}, {-1, "???"}, {1.9, "kRPM/volt"},
    };
    for (const auto &[blk, text] : gains) {
        set.Set("BlkType", blk);
        EXPECT_EQ(UnitText("cmdgain2", &set), text) << blk;
    }
    set.Set("BlkType", 8);
    EXPECT_EQ(UnitText("ADOffset", &set), "(No Effect)");
    set.Set("BlkType", 0);
    EXPECT_EQ(UnitText("ADOffset", &set), "volts");

    // the set holds no RemoteFB: it reads as 0
    EXPECT_EQ(UnitText("Move3RunSpeed", &set), "RPM");
    EXPECT_EQ(UnitText("ActiveAccelRate", &set), "RPM/sec");
    set.Set("RemoteFB", 2);
    EXPECT_EQ(UnitText("Move3RunSpeed", &set), "CPS");
    EXPECT_EQ(UnitText("ActiveRunSpeed", &set), "CPS");
    EXPECT_EQ(UnitText("Move7DecelRate", &set), "CPS/sec");
    set.Set("RemoteFB", 0.5); // truncated to 0
    EXPECT_EQ(UnitText("Move0AccelRate", &set), "RPM/sec");
}

TEST(UnitText, MonitorGainsFollowTheirSignal)
{
    const char *const expected[31] = {
        "(No Effect)", "volts/kRPM",  "volts/kRPM", "volts/kRPM",      "volts/kRPM", "volts/rev",
        "volts/rev",   "volts/rev",   "volts/amp",  "volts/amp",       "volts/volt", "volts/Hz",
        "volts/409.6", "volts/100%",  "volts/degree(C)", "volts/cycle", "volts/amp",  "volts/amp",
        "volts/amp",   "volts/100%",  "volts/100%", "volts/100%",      "volts/volt", "volts/rev",
        "volts/amp",   "volts/amp",   "volts/100%", "volts/100%",      "volts/kRPM", "volts/Hz",
        "volts/100%^2",
    };
    MapValues set{};
    for (int signal = 0; signal <= 30; ++signal) {
        set.Set("DM1Map", signal);
        set.Set("DM2Map", 30 - signal);
        EXPECT_EQ(UnitText("DM1Gain", &set), expected[signal]) << signal;
        EXPECT_EQ(UnitText("dm2gain", &set), expected[30 - signal]) << signal;
        // the signal's name is in the monitor table at the same value
        EXPECT_NE(EnumText("dm1map", signal), "");
    }
    for (double bad : {31.0, -1.0, 65535.0, 1e30}) {
        set.Set("DM1Map", bad);
        EXPECT_EQ(UnitText("DM1Gain", &set), "???") << bad;
    }
}

TEST(UnitText, EveryRuleEntryHasARule)
{
    const MapValues set{};
    int ruled = 0;
    for (const SymtabEntry &e : Dictionary()) {
        if (e.units != -1)
            continue;
        ++ruled;
        const std::string text = UnitText(e.name, &set);
        EXPECT_FALSE(text.empty()) << e.name;
        EXPECT_NE(text, "???") << e.name; // with every input 0 each rule has an answer
    }
    EXPECT_EQ(ruled, 32);
}

TEST_F(DriveReaderTest, WithoutASetTheDriveIsRead)
{
    gBlkType = 1;
    EXPECT_EQ(UnitText("CmdGain"), "kRPM/volt");
    EXPECT_EQ(gReads, 1);
    gRemoteFB = 1;
    EXPECT_EQ(UnitText("Move2RunSpeed"), "CPS");
    gDMMap = 14;
    EXPECT_EQ(UnitText("DM2Gain"), "volts/degree(C)");
    EXPECT_EQ(gReads, 3);
    // fixed units and unknown names read nothing
    EXPECT_EQ(UnitText("VelCmd"), "RPM");
    EXPECT_EQ(UnitText("NoSuchVar"), "");
    EXPECT_EQ(gReads, 3);
    // with a value set the drive is not asked
    const MapValues set{{"BlkType", 4}};
    EXPECT_EQ(UnitText("CmdGain", &set), "amps/kHz");
    EXPECT_EQ(gReads, 3);
}

TEST_F(DriveReaderTest, AFailedDriveReadGivesQuestionMarks)
{
    for (int status : {4 /* NO_RESPONSE */, 3 /* NO_PORT */, 66 /* BOUNDS_ERROR */}) {
        gStatus = status;
        EXPECT_EQ(UnitText("Move3RunSpeed"), "???") << status;
        EXPECT_EQ(UnitText("ADOffset"), "???") << status;
        try {
            ReadDriveValue("BlkType");
            ADD_FAILURE() << "no error for status " << status;
        } catch (const Error &e) {
            EXPECT_STREQ(e.what(), "Can't communicate with drive");
        }
    }
}
