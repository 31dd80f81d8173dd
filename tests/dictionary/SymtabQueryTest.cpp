// The name-based queries of Symtab: letter case, unknown names, commands, bounds texts,
// variable lists, and the sortedness check.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tools700/common/Error.h"
#include "tools700/dictionary/Symtab.h"

using namespace tools700;

TEST(SymtabQuery, LookupIgnoresLetterCase)
{
    const Symtab &d = Dictionary();
    const SymtabEntry *e = d.Lookup("AccelLmt");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(d.Lookup("accellmt"), e);
    EXPECT_EQ(d.Lookup("ACCELLMT"), e);
    EXPECT_EQ(d.CanonicalName("accellmt"), "AccelLmt");
    EXPECT_EQ(d.CanonicalName("dbgi"), "DbgI");
    EXPECT_EQ(d.CanonicalName("ITDERATESLOPE"), "ItDerateSlope");
    // first and last entries are reachable by the binary search
    EXPECT_NE(d.Lookup("accellmt"), nullptr);
    EXPECT_NE(d.Lookup("zerospeedthresh"), nullptr);
}

TEST(SymtabQuery, UnknownNamesGiveTheirStatedAnswers)
{
    const Symtab &d = Dictionary();
    for (const char *name : {"", "NoSuchVar", "AccelLmt ", "Accel", "BaudRate", "IR", "ARF0_Tq"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(d.Lookup(name), nullptr);
        EXPECT_FALSE(d.IsStatusVar(name));
        EXPECT_FALSE(d.IsCfgVar(name));
        EXPECT_FALSE(d.IsInteger(name));
        EXPECT_TRUE(d.IsReadOnly(name));
        EXPECT_FALSE(d.Listed730(name));
        EXPECT_FALSE(d.Listed740(name));
        EXPECT_EQ(d.CanonicalName(name), name);
        EXPECT_EQ(d.BoundsText(name), "No such variable???");
        std::string n;
        int type = -1;
        double mn = 7, mx = 7, def = 7;
        EXPECT_FALSE(d.VarInfo(name, n, type, mn, mx, def));
        EXPECT_EQ(type, -1);
    }
    EXPECT_EQ(d.HelpText(""), "");
    EXPECT_EQ(d.HelpText("NoSuchVar"), "--- no such symbol  ---");
}

TEST(SymtabQuery, VariablesAndCommands)
{
    const Symtab &d = Dictionary();
    EXPECT_FALSE(d.IsStatusVar("NVSave"));
    EXPECT_FALSE(d.IsCfgVar("nvsave"));
    EXPECT_FALSE(d.IsInteger("NVSave"));
    std::string name;
    int type = 0;
    double mn = 0, mx = 0, def = 0;
    EXPECT_FALSE(d.VarInfo("NVSave", name, type, mn, mx, def));

    EXPECT_TRUE(d.IsStatusVar("velfb"));
    EXPECT_FALSE(d.IsCfgVar("VelFB"));
    EXPECT_TRUE(d.IsCfgVar("AccelLmt"));
    EXPECT_FALSE(d.IsStatusVar("AccelLmt"));
    // 740-only configuration variables are not in the 730 configuration, so they count as status
    EXPECT_TRUE(d.IsStatusVar("InputMap1"));
    EXPECT_TRUE(d.IsInteger("BlkType"));
    EXPECT_FALSE(d.IsInteger("AccelLmt"));

    ASSERT_TRUE(d.VarInfo("model", name, type, mn, mx, def));
    EXPECT_EQ(name, "Model");
    EXPECT_EQ(type, 0);
    EXPECT_EQ(mn, 730);
    EXPECT_EQ(mx, 1749);
    EXPECT_EQ(def, 733);
    EXPECT_TRUE(d.IsReadOnly("Model"));
    EXPECT_TRUE(d.IsCfgVar("Model"));
    EXPECT_FALSE(d.IsReadOnly("AccelLmt"));

    EXPECT_TRUE(d.Listed730("NVSave"));
    EXPECT_FALSE(d.Listed740("NVSave"));
    EXPECT_TRUE(d.Listed730("NVLoad"));
    EXPECT_FALSE(d.Listed740("NVLoad"));
    EXPECT_TRUE(d.Listed730("Unconfigure"));
    EXPECT_TRUE(d.Listed740("TableGen"));
    EXPECT_EQ(d.HelpText("velfb"), "Velocity feedback");
    EXPECT_EQ(d.HelpText("NVSave"), "");
}

TEST(SymtabQuery, BoundsTextFormats)
{
    const Symtab &d = Dictionary();
    EXPECT_EQ(d.BoundsText("AxisAddr"), "min = 1, max = 255");
    EXPECT_EQ(d.BoundsText("ADOffset"), "min = -10.000, max = 10.000");
    EXPECT_EQ(d.BoundsText("NVSave"), "min = 0.000, max = 0.000");
    EXPECT_EQ(d.BoundsText("activedistance"), "min = -2147483648, max = 2147483647");
    EXPECT_EQ(d.BoundsText("ItDerateSlope"), "min = -11.409, max = 112.409");
    EXPECT_EQ(d.BoundsText("Kip"), "min = 0.000, max = 10780.800");
    EXPECT_EQ(d.BoundsText("VBusThresh"), "min = -1.000, max = 1000.000");
    // 14 digits before the point still fit; 21 do not
    EXPECT_EQ(d.BoundsText("DM1Gain"), "min = 0.000, max = 10000000000000.000");
    EXPECT_EQ(d.BoundsText("CosHarmCoeff1"),
              "min = -1.00000000000000E+20, max = 1.00000000000000E+20");
    // bounds smaller than the shown decimals round
    EXPECT_EQ(d.BoundsText("PWMDeadBand"), "min = 0.000, max = 0.000");
    EXPECT_EQ(d.BoundsText("StopTime"), "min = 0.002, max = 65.534");
}

TEST(SymtabQuery, FillVariableListByFamily)
{
    const Symtab &d = Dictionary();
    std::vector<std::string> list{"left over"};
    d.FillVariableList(list, false, 1745);
    EXPECT_EQ(list.size(), 152u);
    for (const std::string &n : list) {
        EXPECT_TRUE(d.Listed740(n)) << n;
        EXPECT_NE(d.Lookup(n)->type, kCommand) << n;
    }
    EXPECT_EQ(list.front(), "AccelLmt");
    EXPECT_EQ(std::count(list.begin(), list.end(), "InputMap1"), 1);
    EXPECT_EQ(std::count(list.begin(), list.end(), "InpMap1"), 0);

    d.FillVariableList(list, false, 733);
    EXPECT_EQ(list.size(), 231u);
    EXPECT_EQ(std::count(list.begin(), list.end(), "InpMap1"), 1);
    EXPECT_EQ(std::count(list.begin(), list.end(), "NVSave"), 0);

    d.FillVariableList(list, true, 742);
    EXPECT_EQ(list.size(), 323u);
    for (std::size_t i = 0; i + 1 < list.size(); ++i)
        EXPECT_LT(CompareNames(list[i], list[i + 1]), 0);

    for (int model : {745, 0, 730, 1744, -1}) {
        list = {"left over"};
        d.FillVariableList(list, true, model);
        EXPECT_TRUE(list.empty()) << model;
    }
}

TEST(SymtabQuery, UnsortedTableRaisesOnEveryLookup)
{
    static const SymtabEntry unsorted[] = {
        {"Beta", 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {"alpha", 0, 2, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
    };
    const Symtab t(unsorted);
    EXPECT_EQ(t.Count(), 2);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            t.Lookup("alpha");
            ADD_FAILURE() << "no error on attempt " << attempt;
        } catch (const Error &e) {
            EXPECT_STREQ(e.what(), "Symbol Table is not sorted!");
        }
    }
    EXPECT_THROW(t.IsReadOnly("beta"), Error);
    std::vector<std::string> list;
    EXPECT_THROW(t.FillVariableList(list, true, 733), Error);

    // names equal but for letter case are not in strict order either
    static const SymtabEntry duplicate[] = {
        {"Gain", 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {"GAIN", 0, 2, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
    };
    const Symtab dup(duplicate);
    EXPECT_THROW(dup.Lookup("gain"), Error);
}

TEST(SymtabQuery, SortedSmallTablesAndEmptyTable)
{
    static const SymtabEntry entries[] = {
        {"a_b", 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {"AB", 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""}, // '_' folds to itself and sorts before 'b'
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
    };
    const Symtab t(entries);
    ASSERT_NE(t.Lookup("ab"), nullptr);
    EXPECT_EQ(t.Lookup("ab")->id, 2);
    EXPECT_EQ(t.Lookup("A_B")->id, 1);
    EXPECT_EQ(t.Lookup("a"), nullptr);

    static const SymtabEntry none[] = {
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
    };
    const Symtab empty(none);
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.Lookup("anything"), nullptr);
}

TEST(SymtabQuery, FirstLookupsFromSeveralThreads)
{
    // A fresh table so the sortedness check runs while the threads race on it.
    static const SymtabEntry entries[] = {
        {"One", 0, 1, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {"Three", 0, 3, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {"Two", 0, 2, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, ""},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
    };
    const Symtab t(entries);
    std::vector<std::thread> threads;
    std::vector<int> found(4, 0);
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&t, &found, i] {
            for (int k = 0; k < 200; ++k)
                found[i] += t.Lookup("three") != nullptr && Dictionary().Lookup("VelCmd") != nullptr;
        });
    for (std::thread &th : threads)
        th.join();
    EXPECT_EQ(found, std::vector<int>(4, 200));
}
