// Enumeration registry and tables, their queries, unit codes and the operating-mode rule.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <vector>

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

using namespace tools700;

namespace {

std::vector<std::string> Expand(const std::string &stem, int first, int last, const std::string &tail = "")
{
    std::vector<std::string> names;
    for (int n = first; n <= last; ++n)
        names.push_back(stem + std::to_string(n) + tail);
    return names;
}

} // namespace

TEST(EnumRegistry, OrderAndSpelling)
{
    std::vector<std::string> expected = {"OpMode730", "OpMode740"};
    auto append = [&expected](const std::vector<std::string> &v) {
        expected.insert(expected.end(), v.begin(), v.end());
    };
    append(Expand("inpmap", 1, 6));
    append(Expand("inputmap", 1, 6));
    append(Expand("outmap", 1, 4));
    append(Expand("outputmap", 1, 4));
    append({"dm1map", "dm2map"});
    append(Expand("ain", 1, 3, "map"));
    append({"blktype", "ActiveMoveType"});
    append(Expand("Move", 0, 7, "Type"));
    append({"ActiveHomeMode"});
    append(Expand("Move", 0, 7, "HomeMode"));
    append({"ActiveHomeDir"});
    append(Expand("Move", 0, 7, "HomeDir"));
    append({"ActiveRegSelect"});
    append(Expand("Move", 0, 7, "RegSelect"));
    append({"FaultCode", "Fault", "ExtFault", "Reg1ActiveEdge", "Reg2ActiveEdge", "MotorType",
            "CommSrc", "RemoteFB", "EncOut", "DriveStatus", "EncMode", "Enable", "Enabled",
            "HWEnable", "GearingOn", "Model"});
    ASSERT_EQ(expected.size(), 80u);
    std::vector<std::string> actual;
    for (const EnumRegistration &r : EnumRegistry())
        actual.emplace_back(r.name);
    EXPECT_EQ(actual, expected);

    // every name is a dictionary variable, a pseudo-variable, or the motor type parameter
    for (const EnumRegistration &r : EnumRegistry()) {
        const std::string n = r.name;
        if (n == "OpMode730" || n == "OpMode740")
            continue;
        if (n == "MotorType")
            EXPECT_NE(MotorParameterTable().Lookup(n), nullptr);
        else
            EXPECT_TRUE(Dictionary().IsStatusVar(n) || Dictionary().IsCfgVar(n)) << n;
    }
}

TEST(EnumRegistry, TableSizesAndEndMarkers)
{
    struct Stated {
        const char *name;
        int size;
        int endValue;
    };
    const Stated stated[] = {
        {"OpMode730", 8, -1},   {"OpMode740", 5, -1},     {"inpmap1", 28, 0},
        {"inputmap1", 17, 0},   {"outmap1", 17, 0},       {"outputmap1", 15, 0},
        {"dm1map", 31, 0},      {"ain1map", 1, 0},        {"blktype", 6, 0},
        {"ActiveMoveType", 7, 0}, {"ActiveHomeMode", 5, 0}, {"ActiveHomeDir", 2, 0},
        {"ActiveRegSelect", 2, 0}, {"FaultCode", 23, 0},  {"Fault", 2, 0},
        {"ExtFault", 29, 0},    {"Reg1ActiveEdge", 2, 0}, {"MotorType", 2, 0},
        {"CommSrc", 3, 0},      {"RemoteFB", 3, 0},       {"EncOut", 17, 0},
        {"DriveStatus", 4, 0},  {"EncMode", 4, 0},        {"Enable", 2, 0},
        {"Enabled", 2, 0},      {"HWEnable", 2, 0},       {"GearingOn", 2, 0},
        {"Model", 10, 0},
    };
    std::set<const EnumTable *> tables;
    for (const EnumRegistration &r : EnumRegistry())
        tables.insert(r.table);
    EXPECT_EQ(tables.size(), std::size(stated));
    for (const Stated &s : stated) {
        SCOPED_TRACE(s.name);
        const EnumTable *t = HasEnum(s.name);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->count, s.size);
        EXPECT_EQ(t->endValue, s.endValue);
        std::set<int> values;
        for (const EnumEntry &e : *t) {
            EXPECT_TRUE(values.insert(e.value).second) << "value twice: " << e.value;
            EXPECT_NE(e.text, nullptr);
        }
    }
    // shared tables
    EXPECT_EQ(HasEnum("InpMap6"), HasEnum("inpmap1"));
    EXPECT_EQ(HasEnum("OutputMap4"), HasEnum("outputmap1"));
    EXPECT_EQ(HasEnum("Move7RegSelect"), HasEnum("ActiveRegSelect"));
    EXPECT_EQ(HasEnum("AIn3Map"), HasEnum("ain1map"));
    EXPECT_NE(HasEnum("InpMap1"), HasEnum("InputMap1"));
}

TEST(EnumRegistry, IoFunctionCodes)
{
    // active-high forms carry bit 15, active-low ones are the bare number, 0 is no function
    for (const char *map : {"inpmap1", "inputmap1", "outmap1", "outputmap1"}) {
        const EnumTable *t = HasEnum(map);
        ASSERT_NE(t, nullptr);
        for (const EnumEntry &e : *t) {
            const std::string text = e.text;
            SCOPED_TRACE(text);
            if (e.value == 0) {
                EXPECT_EQ(text, "No Function");
            } else if (text.find("(lo)") != std::string::npos) {
                EXPECT_LT(e.value, 32768);
                EXPECT_EQ(EnumText(map, e.value | 32768), text.substr(0, text.size() - 4) + "(hi)");
            } else {
                EXPECT_NE(e.value & 32768, 0);
            }
        }
    }
    EXPECT_EQ(EnumText("InpMap2", 32779), "Move Select Bit0");
    EXPECT_EQ(EnumText("InpMap2", 11), "");
    EXPECT_EQ(EnumText("InputMap2", 32779), "");
}

TEST(EnumQueries, TextValueIndexAndList)
{
    EXPECT_EQ(EnumText("FaultCode", 13), "13 - Encoder aligment failed");
    EXPECT_EQ(EnumText("faultcode", 0), "0 -  No fault");
    EXPECT_EQ(EnumText("FaultCode", 99), "");
    EXPECT_EQ(EnumText("VelCmd", 0), "");
    EXPECT_EQ(EnumText("Model", 1745), "SVE745");
    EXPECT_EQ(EnumText("ExtFault", 28), "28 - Motor I^2*t fault");

    EXPECT_EQ(EnumValue("InpMap1", "fault reset (hi)"), 32769);
    EXPECT_EQ(EnumValue("INPMAP1", "Fault Reset (lo)"), 1);
    EXPECT_EQ(EnumValue("InpMap1", "no such text"), 0);
    EXPECT_EQ(EnumValue("OpMode730", "no such text"), -1);
    EXPECT_EQ(EnumValue("opmode740", "Position Mode -- Predefined Moves"), -1);
    EXPECT_EQ(EnumValue("OpMode730", "position mode -- predefined moves"), 7);
    EXPECT_EQ(EnumValue("VelCmd", "Off"), 0);
    EXPECT_EQ(EnumValue("EncOut", "16384"), 16384);

    EXPECT_EQ(EnumIndex("blktype", 8), 5);
    EXPECT_EQ(EnumIndex("BlkType", 3), 0);
    EXPECT_EQ(EnumIndex("OpMode730", 6), 7);
    EXPECT_EQ(EnumIndex("NoSuchName", 6), 0);

    EXPECT_EQ(HasEnum("DM1Map"), HasEnum("dm1map"));
    EXPECT_NE(HasEnum("DM1Map"), nullptr);
    EXPECT_EQ(HasEnum("VelCmd"), nullptr);
    EXPECT_EQ(HasEnum(""), nullptr);

    std::vector<std::string> list{"left over"};
    FillEnumList(list, "blktype");
    EXPECT_EQ(list, (std::vector<std::string>{"Analog Torque Block", "Analog Velocity Block",
                                              "Digital Position Block", "Frequency Torque Block",
                                              "Frequency Velocity Block", "Serial Velocity Block"}));
    FillEnumList(list, "commsrc");
    EXPECT_EQ(list, (std::vector<std::string>{"Incremental Encoder", "Comcoder (Hall/Encoder)",
                                              "Resolver"}));
    FillEnumList(list, "VelCmd");
    EXPECT_TRUE(list.empty());
}

TEST(EnumQueries, OperatingMode)
{
    EXPECT_EQ(OperatingMode(0, 5), 0);
    EXPECT_EQ(OperatingMode(1, 0), 1);
    EXPECT_EQ(OperatingMode(2, 0), 4);
    EXPECT_EQ(OperatingMode(2, 2), 4);
    EXPECT_EQ(OperatingMode(2, 1), 3);
    EXPECT_EQ(OperatingMode(2, 3), 7);
    EXPECT_EQ(OperatingMode(2, 9), 6);
    EXPECT_EQ(OperatingMode(2, -1), 6);
    EXPECT_EQ(OperatingMode(3, 0), 0);
    EXPECT_EQ(OperatingMode(4, 1), 6);
    EXPECT_EQ(OperatingMode(5, 3), 5);
    EXPECT_EQ(OperatingMode(8, 1), 2);
    EXPECT_EQ(OperatingMode(-7, 1), 0);
    // every result is a mode the wizard can show
    for (int blk = -1; blk <= 9; ++blk)
        for (int enc = -1; enc <= 4; ++enc)
            EXPECT_NE(EnumText("OpMode730", OperatingMode(blk, enc)), "");
}

TEST(DriveFamilies, CodesNamesAndTruncation)
{
    for (int m : {732, 733, 734, 1733, 1735}) {
        EXPECT_TRUE(Is730Family(m));
        EXPECT_FALSE(Is740Family(m));
        EXPECT_EQ(FamilyOf(m), DriveFamily::F730);
    }
    for (int m : {742, 743, 744, 1743, 1745}) {
        EXPECT_TRUE(Is740Family(m));
        EXPECT_EQ(FamilyOf(m), DriveFamily::F740);
    }
    for (int m : {0, 730, 735, 745, 1734, 1744, -733})
        EXPECT_EQ(FamilyOf(m), DriveFamily::None) << m;
    EXPECT_EQ(ModelText(733), "SV733");
    EXPECT_EQ(ModelText(1745), "SVE745");
    EXPECT_EQ(ModelText(1000), "SV1000");
    // the Model table's texts follow the same naming
    for (const EnumEntry &e : *HasEnum("Model"))
        EXPECT_EQ(ModelText(e.value), e.text);

    EXPECT_EQ(TruncToInt(2.9), 2);
    EXPECT_EQ(TruncToInt(-2.9), -2);
    EXPECT_EQ(TruncToInt(1e20), 2147483647);
    EXPECT_EQ(TruncToInt(-1e20), -2147483647 - 1);
    EXPECT_EQ(TruncToInt(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(UnitCodes, Texts)
{
    EXPECT_EQ(UnitCodeText(0), "RPM/sec");
    EXPECT_EQ(UnitCodeText(3), "");
    EXPECT_EQ(UnitCodeText(11), "amps/rad/sec");
    EXPECT_EQ(UnitCodeText(30), "encoder counts");
    EXPECT_EQ(UnitCodeText(37), "%IPeak/Volt");
    EXPECT_EQ(UnitCodeText(38), "volts/100%^2");
    EXPECT_EQ(UnitCodeText(-1), std::nullopt);
    EXPECT_EQ(UnitCodeText(39), std::nullopt);
    for (int c = 0; c <= 38; ++c)
        EXPECT_TRUE(UnitCodeText(c).has_value()) << c;
}
