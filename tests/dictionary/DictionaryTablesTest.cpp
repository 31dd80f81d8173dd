// Transcription checks of the dictionary's tables: the counts of every flag, type, bounds and
// unit group, configuration sizes, order, and sample rows compared field by field.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "tools700/dictionary/Symtab.h"

using namespace tools700;

namespace {

using Flags = std::tuple<int, int, int, int, int>; // readOnly, cfg730, cfg740, list730, list740

Flags FlagsOf(const SymtabEntry &e)
{
    return {e.readOnly, e.cfg730, e.cfg740, e.list730, e.list740};
}

void ExpectEntry(const SymtabEntry &want)
{
    SCOPED_TRACE(want.name);
    const SymtabEntry *e = Dictionary().Lookup(want.name);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->name, want.name);
    EXPECT_EQ(e->type, want.type);
    EXPECT_EQ(e->id, want.id);
    EXPECT_EQ(e->units, want.units);
    EXPECT_EQ(FlagsOf(*e), FlagsOf(want));
    EXPECT_EQ(e->min, want.min);
    EXPECT_EQ(e->max, want.max);
    EXPECT_EQ(e->defaultValue, want.defaultValue);
    EXPECT_STREQ(e->help, want.help);
}

} // namespace

TEST(DictionaryTables, SizeTypesAndOrder)
{
    const Symtab &d = Dictionary();
    ASSERT_EQ(d.Count(), 329);
    EXPECT_EQ(d.Terminator().name, nullptr);
    EXPECT_STREQ(d.Terminator().help, "Table terminator");
    std::map<int, int> perType;
    for (const SymtabEntry &e : d)
        ++perType[e.type];
    EXPECT_EQ(perType, (std::map<int, int>{{0, 191}, {1, 132}, {2, 6}}));
    for (int i = 0; i + 1 < d.Count(); ++i)
        EXPECT_LT(CompareNames(d[i].name, d[i + 1].name), 0) << d[i].name << " / " << d[i + 1].name;
    for (const SymtabEntry &e : d) {
        ASSERT_NE(e.name, nullptr);
        ASSERT_NE(e.help, nullptr) << e.name;
        EXPECT_LE(std::strlen(e.name), 20u) << e.name; // the wire's name limit
    }
}

TEST(DictionaryTables, FlagGroupsAndConfigurationSizes)
{
    std::map<Flags, int> groups;
    int cfg730 = 0, cfg740 = 0, both = 0;
    for (const SymtabEntry &e : Dictionary()) {
        ++groups[FlagsOf(e)];
        if (e.type == kCommand) {
            EXPECT_FALSE(e.cfg730 || e.cfg740) << e.name;
            continue;
        }
        cfg730 += e.cfg730 != 0;
        cfg740 += e.cfg740 != 0;
        both += e.cfg730 != 0 && e.cfg740 != 0;
    }
    const std::map<Flags, int> stated = {
        {{0, 1, 0, 1, 0}, 84}, {{1, 0, 0, 1, 1}, 62}, {{0, 1, 1, 1, 1}, 58},
        {{0, 0, 0, 0, 0}, 36}, {{0, 1, 0, 0, 0}, 34}, {{0, 0, 0, 1, 1}, 23},
        {{0, 0, 1, 0, 1}, 10}, {{1, 0, 0, 0, 0}, 6},  {{0, 1, 1, 0, 0}, 6},
        {{0, 0, 0, 1, 0}, 6},  {{1, 1, 1, 1, 1}, 3},  {{1, 0, 0, 1, 0}, 1},
    };
    EXPECT_EQ(groups, stated);
    EXPECT_EQ(cfg730, 185);
    EXPECT_EQ(cfg740, 77);
    EXPECT_EQ(both, 67);
}

TEST(DictionaryTables, BoundsAndDefaultGroups)
{
    using Bounds = std::tuple<double, double, double>;
    std::map<Bounds, int> groups;
    for (const SymtabEntry &e : Dictionary())
        ++groups[{e.min, e.max, e.defaultValue}];
    // clang-format off
    const std::map<Bounds, int> stated = {
        {{-1e20, 1e20, 0}, 26},
        {{-2147483648.0, 2147483647, 0}, 20},
        {{-2147483648.0, 2147483647, 65536}, 8},
        {{-10000000, 100000000, 0}, 1},   {{-10000000, 100000000, 1}, 1},
        {{-5000000, 5000000, 0}, 1},      {{-5000000, 5000000, 1000}, 8},
        {{-32768, 32767, 0}, 3},          {{-32768, 32767, 1}, 1},
        {{-32768, 327670, 0}, 1},         {{-21039, 21039, 0}, 2},
        {{-21000, 21000, 0}, 2},          {{-1460, 1460, 0}, 1},
        {{-360, 360, 0}, 1},              {{-300, 300, 0}, 2},
        {{-32, 32, 0}, 2},                {{-30, 30, 0}, 1},
        {{-11.409, 112.409, 0}, 1},       {{-10, 10, 0}, 1},
        {{-5, 4.96, 0}, 2},               {{-5, 5, 0}, 1},
        {{-1, 1000, -1}, 1},              {{0, 0, 0}, 56},
        {{0, 1, 0}, 44},                  {{0, 1, 1}, 4},
        {{0, 2, 0}, 2},                   {{0, 3, 0}, 11},
        {{0, 6, 0}, 9},                   {{0, 7, 0}, 2},
        {{0, 9, 1}, 1},                   {{0, 15, 0}, 1},
        {{0, 17, 0}, 4},                  {{0, 17, 1}, 2},
        {{0, 17, 3}, 2},                  {{0, 28, 0}, 6},
        {{0, 28, 32769}, 2},              {{0, 28, 32773}, 2},
        {{0, 28, 32774}, 2},              {{0, 60, 0}, 1},
        {{0, 63, 0}, 1},                  {{0, 65.534, 0}, 1},
        {{0, 100, 0}, 4},                 {{0, 100, 30}, 1},
        {{0, 100, 100}, 2},               {{0, 159.4, 15}, 1},
        {{0, 199.9, 0}, 1},               {{0, 240, 0}, 1},
        {{0, 360, 0}, 1},                 {{0, 378, 0}, 1},
        {{0, 636.6, 0}, 1},               {{0, 1510.35, 0}, 1},
        {{0, 2000, 0}, 1},                {{0, 2546, 50}, 1},
        {{0, 5000, 0}, 1},                {{0, 9999, 0}, 1},
        {{0, 10780.8, 20}, 1},            {{0, 16000, 30}, 1},
        {{0, 16384, 1024}, 1},            {{0, 30000, 30000}, 1},
        {{0, 65535, 0}, 16},              {{0, 65535, 1}, 1},
        {{0, 65535, 5}, 1},               {{0, 65535, 9}, 1},
        {{0, 65535, 30000}, 1},           {{0, 65536, 3000}, 1},
        {{0, 295000000, 4096}, 1},        {{0, 1000000000, 0}, 1},
        {{0, 1000000000, 1000000000}, 2}, {{0, 10000000000000.0, 1}, 1},
        {{0, 10000000000000.0, 1.3333}, 1},
        {{2e-07, 2.56e-05, 1.6e-06}, 1},  {{1.5e-05, 1, 0}, 2},
        {{0.0001, 1, 0.0015}, 1},         {{0.002, 65.534, 0}, 1},
        {{0.01, 10000000, 150}, 1},       {{0.01, 10000000, 750}, 1},
        {{0.01, 41700000, 1000}, 3},      {{0.019, 10, 0.019}, 1},
        {{0.1, 1000000, 1000}, 1},        {{1, 255, 255}, 1},
        {{1, 32767, 1}, 1},               {{1, 65535, 4}, 1},
        {{1, 65535, 1024}, 1},            {{1, 16000000, 0}, 2},
        {{1, 16000000, 10000}, 16},       {{20, 10000, 0}, 1},
        {{20, 100000, 0}, 1},             {{364, 65535, 3640}, 1},
        {{730, 1749, 733}, 1},            {{2442, 99009, 8000}, 1},
        {{50000, 1600000, 1600000}, 1},
    };
    // clang-format on
    EXPECT_EQ(groups.size(), 91u);
    EXPECT_EQ(groups, stated);
}

TEST(DictionaryTables, UnitCodeGroups)
{
    std::map<int, int> perUnit;
    for (const SymtabEntry &e : Dictionary())
        ++perUnit[e.units];
    const std::map<int, int> stated = {
        {-1, 32}, {0, 2},  {1, 21},  {2, 6},  {3, 183}, {4, 2},  {5, 2},
        {6, 3},   {7, 11}, {8, 9},   {9, 11}, {10, 1},  {11, 1}, {12, 1},
        {13, 1},  {14, 30}, {15, 2}, {35, 9}, {36, 1},  {37, 1},
    };
    EXPECT_EQ(perUnit, stated);
}

TEST(DictionaryTables, HelpTextsAndTopics)
{
    int emptyHelp = 0, noTopic = 0;
    std::set<int> topics;
    for (const SymtabEntry &e : Dictionary()) {
        emptyHelp += e.help[0] == '\0';
        if (e.helpTopic == 0) {
            ++noTopic;
            continue;
        }
        EXPECT_GE(e.helpTopic, 516) << e.name;
        EXPECT_LE(e.helpTopic, 786) << e.name;
        EXPECT_TRUE(topics.insert(e.helpTopic).second) << "topic used twice: " << e.name;
    }
    EXPECT_EQ(emptyHelp, 62);
    EXPECT_EQ(noTopic, 70);
}

// The help pages are numbered from docs/dictionary.md; it must list the table's numbers.
TEST(DictionaryTables, HelpTopicDocumentMatchesTable)
{
    std::ifstream doc(std::string(TOOLS700_SOURCE_DIR) + "/docs/dictionary.md");
    ASSERT_TRUE(doc) << "docs/dictionary.md is missing";
    std::map<std::string, int> documented;
    std::string line;
    while (std::getline(doc, line)) {
        // rows of the topic table: | `Name` | number |
        if (line.rfind("| `", 0) != 0)
            continue;
        const auto close = line.find('`', 3);
        const auto bar = line.find('|', close);
        ASSERT_NE(close, std::string::npos);
        ASSERT_NE(bar, std::string::npos);
        documented[line.substr(3, close - 3)] = std::stoi(line.substr(bar + 1));
    }
    ASSERT_EQ(documented.size(), 329u);
    for (const SymtabEntry &e : Dictionary()) {
        auto it = documented.find(e.name);
        ASSERT_NE(it, documented.end()) << e.name;
        EXPECT_EQ(it->second, e.helpTopic) << e.name;
    }
}

TEST(DictionaryTables, SampleEntriesOfEveryFlagGroup)
{
    // clang-format off
    const SymtabEntry samples[] = {
        // name            type id   units topic ro c730 c740 l730 l740 min   max  default help
        {"InpMap1",         0, 66,  3,  0, 0, 1, 0, 1, 0, 0, 28, 32769, "Specifies the functionality of Inp1"},
        {"Move3AccelRate",  1, 105, -1, 0, 0, 1, 0, 1, 0, 1, 16000000, 10000, "Acceleration rate of move"},
        {"PulsesOut",       0, 36,  14, 0, 0, 1, 0, 1, 0, -32768, 32767, 1, "Gearing Ratio = PulsesOut(RslvrStps) / PulsesIn(EncdrCnts)"},
        {"VelFB",           1, 25,  7,  0, 1, 0, 0, 1, 1, 0, 0, 0, "Velocity feedback"},
        {"DriveStatus",     0, 180, 3,  0, 1, 0, 0, 1, 1, 0, 3, 0, "Drive status"},
        {"AccelLmt",        1, 45,  0,  0, 0, 1, 1, 1, 1, 0, 1000000000, 1000000000, "Sets the maximum acceleration rate of the motor"},
        {"Kvp",             1, 9,   11, 0, 0, 1, 1, 1, 1, 0, 378, 0, "Sets the proportional gain of the velocity loop"},
        {"DM2Gain",         1, 32,  -1, 0, 0, 1, 1, 1, 1, 0, 10000000000000.0, 1.3333, "Multiplicative scale factor applied to DAC Monitor 2"},
        {"DbgI",            0, 4,   3,  0, 0, 0, 0, 0, 0, -32768, 32767, 0, ""},
        {"ItDerateSlope",   1, 93,  3,  0, 0, 0, 0, 0, 0, -11.409, 112.409, 0, ""},
        {"PWMDeadBand",     1, 29,  3,  0, 0, 0, 0, 0, 0, 2e-07, 2.56e-05, 1.6e-06, ""},
        {"SinHarmCoeff19",  1, 82,  3,  0, 0, 1, 0, 0, 0, -1e20, 1e20, 0, ""},
        {"Move7Dwell",      0, 144, 35, 0, 0, 1, 0, 0, 0, 0, 65535, 0, "Pause after reaching final position"},
        {"AxisAddr",        0, 42,  3,  0, 0, 0, 0, 1, 1, 1, 255, 255, "The drive's programmable address"},
        {"TableGen",        2, 5,   3,  0, 0, 0, 0, 1, 1, 0, 0, 0, ""},
        {"OutputMap4",      0, 75,  3,  0, 0, 0, 1, 0, 1, 0, 17, 3, "Specifies the functionality of Out4"},
        {"IqFB",            1, 47,  8,  0, 1, 0, 0, 0, 0, 0, 0, 0, ""},
        {"BlkType",         0, 45,  3,  0, 0, 1, 1, 0, 0, 0, 9, 1, "Specifies control type (torque, velocity or position)"},
        {"NVSave",          2, 1,   3,  0, 0, 0, 0, 1, 0, 0, 0, 0, ""},
        {"Model",           0, 41,  3,  0, 1, 1, 1, 1, 1, 730, 1749, 733, "Drive model: SV732, SVE733 ..."},
        {"MoveDone",        0, 157, 3,  0, 1, 0, 0, 1, 0, 0, 0, 0, "True if move is complete"},
        {"MoveSelectBit2",  0, 160, 3,  0, 0, 0, 0, 1, 0, 0, 1, 0, "Controls bit 2 of the variable \"ActiveMove\""},
        {"VBusThresh",      1, 43,  2,  0, 0, 1, 1, 1, 1, -1, 1000, -1, "Bus under voltage fault threshold"},
        {"EncInF0",         1, 56,  1,  0, 0, 1, 1, 1, 1, 50000, 1600000, 1600000, "Specifies the maximum encoder input frequency"},
        {"Motor2",          0, 90,  3,  0, 1, 1, 1, 1, 1, -32768, 327670, 0, "4-character KORVANE or custom motor designation"},
        {"ActiveDwell",     0, 151, 35, 0, 1, 0, 0, 0, 0, 0, 65535, 0, "Pause after reaching final position"},
    };
    // clang-format on
    for (const SymtabEntry &s : samples)
        ExpectEntry(s);
}

TEST(MotorParameterTable, Contents)
{
    const Symtab &m = MotorParameterTable();
    ASSERT_EQ(m.Count(), 18);
    EXPECT_STREQ(m.Terminator().help, "Table terminator");
    for (const SymtabEntry &e : m) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.id, 0);
        EXPECT_EQ(e.units, 0);
        EXPECT_EQ(e.helpTopic, 0);
        EXPECT_EQ(FlagsOf(e), Flags(0, 1, 1, 0, 0));
    }
    for (int i = 0; i + 1 < m.Count(); ++i)
        EXPECT_LT(CompareNames(m[i].name, m[i + 1].name), 0);
    const SymtabEntry *maxVBus = m.Lookup("maxvbus");
    ASSERT_NE(maxVBus, nullptr);
    EXPECT_EQ(maxVBus->type, 0);
    EXPECT_EQ(maxVBus->max, 1000);
    EXPECT_EQ(maxVBus->defaultValue, 320);
    EXPECT_STREQ(maxVBus->help, "Maximum ac bus voltage "); // the trailing blank is part of it
    const SymtabEntry *thermal = m.Lookup("ThermalTimeConst");
    ASSERT_NE(thermal, nullptr);
    EXPECT_EQ(thermal->type, 1);
    EXPECT_EQ(thermal->min, 0.001);
    EXPECT_EQ(thermal->max, 1000000);
    EXPECT_EQ(thermal->defaultValue, 1.76);
    EXPECT_STREQ(thermal->help, "Thermal time constant");
    const SymtabEntry *coil = m.Lookup("CoilWeight");
    ASSERT_NE(coil, nullptr);
    EXPECT_EQ(coil->min, 0.000001);
    EXPECT_EQ(coil->defaultValue, 1);
    int integers = 0;
    for (const SymtabEntry &e : m)
        integers += e.type == 0;
    EXPECT_EQ(integers, 8);
}
