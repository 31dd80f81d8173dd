// Value sets: the index, Get/Set and the modified flag, Assign/Differs, the two Cfg lists and
// Motor's value semantics.
#include "tools700/common/Error.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Motor.h"
#include "tools700/config/TQXNum.h"
#include "tools700/dictionary/Symtab.h"

#include <gtest/gtest.h>

#include <set>

using namespace tools700;

namespace {
std::set<std::string> Names(const std::vector<TQX *> &list)
{
    std::set<std::string> out;
    for (TQX *t : list)
        out.insert(t->VarName());
    return out;
}
} // namespace

TEST(CfgLists, BothFamiliesFollowTheDictionaryFlagsInDictionaryOrder)
{
    Cfg cfg;
    size_t want730 = 0, want740 = 0;
    for (const SymtabEntry &e : Dictionary()) {
        if (e.type > 1)
            continue;
        want730 += e.cfg730 ? 1 : 0;
        want740 += e.cfg740 ? 1 : 0;
    }
    EXPECT_EQ(cfg.PrimaryList().size(), want730);
    EXPECT_EQ(cfg.SecondaryList().size(), want740);
    EXPECT_EQ(cfg.PrimaryList().size(), 185u);
    EXPECT_EQ(cfg.SecondaryList().size(), 77u);
    for (const auto *list : {&cfg.PrimaryList(), &cfg.SecondaryList()})
        for (size_t i = 1; i < list->size(); ++i)
            EXPECT_LT(CompareNames((*list)[i - 1]->VarName(), (*list)[i]->VarName()), 0);

    auto p = Names(cfg.PrimaryList()), s = Names(cfg.SecondaryList());
    size_t shared = 0;
    for (const auto &n : p)
        shared += s.count(n);
    EXPECT_EQ(shared, 67u);
    EXPECT_TRUE(p.count("Model") && s.count("Model"));
    EXPECT_TRUE(p.count("InpMap1") && !s.count("InpMap1"));
    EXPECT_TRUE(s.count("InputMap1") && !p.count("InputMap1"));
    EXPECT_TRUE(p.count("CosHarmCoeff19") && !p.count("CosHarmCoeff3"));
}

TEST(CfgLists, TheFamilyArgumentChoosesTheIndexedList)
{
    // 740 or a 740-family model code indexes the secondary list; 730, a 730-family model code
    // or any other number the primary one.
    for (int family : {740, 742, 743, 744, 1743, 1745})
        EXPECT_TRUE(Cfg(family).Indexes740()) << family;
    for (int family : {730, 732, 733, 734, 1733, 1735, 0})
        EXPECT_FALSE(Cfg(family).Indexes740()) << family;
    EXPECT_FALSE(Cfg().Indexes740());
}

TEST(CfgLists, BindingsStartAtTheirDefaults)
{
    Cfg cfg;
    EXPECT_EQ(cfg.Get("Model"), 733.0);
    EXPECT_EQ(cfg.Get("BlkType"), 1.0);
    Cfg cfg740(740);
    EXPECT_EQ(cfg740.Get("InputMap1"), 32769.0);
    EXPECT_FALSE(cfg.IsModified());
}

TEST(ValueSetIndex, LookupsIgnoreCaseAndOnlyReachTheIndexedList)
{
    Cfg cfg;
    cfg.Set("Model", 734);
    EXPECT_EQ(cfg.Get("model"), 734.0);
    EXPECT_EQ(cfg.Get("MODEL"), 734.0);
    ASSERT_NE(cfg.Find("kvp"), nullptr);
    EXPECT_EQ(cfg.Find("kvp")->VarName(), "Kvp");

    cfg.ClearModified();
    cfg.Set("InputMap1", 5);
    EXPECT_FALSE(cfg.IsModified());
    EXPECT_EQ(cfg.Get("InputMap1"), 0.0);
    EXPECT_EQ(cfg.Find("InputMap1"), nullptr);
    EXPECT_EQ(cfg.Get("NoSuchThing"), 0.0);
    cfg.Set("NoSuchThing", 1); // ignored without a report

    Cfg cfg740(740);
    EXPECT_NE(cfg740.Find("inputmap1"), nullptr);
    EXPECT_EQ(cfg740.Find("InpMap1"), nullptr);
}

TEST(ValueSetIndex, ModifiedFlagRisesOnlyOnChange)
{
    Cfg cfg;
    const double kvp = cfg.Get("Kvp");
    cfg.Set("Kvp", kvp);
    EXPECT_FALSE(cfg.IsModified());
    cfg.Set("Kvp", kvp + 1);
    EXPECT_TRUE(cfg.IsModified());
    cfg.Set("Kvp", kvp + 1); // equal value leaves the flag as it was
    EXPECT_TRUE(cfg.IsModified());
    cfg.ClearModified();
    EXPECT_FALSE(cfg.IsModified());
}

TEST(ValueSetAssign, CopiesBothListsAndTheFlagAndZeroesMissingNames)
{
    Cfg a, b;
    EXPECT_TRUE(a.Differs(b)) << "secondary lists hold defaults the other set does not index";
    b.Set("Kvp", 42);
    a.Assign(b);
    EXPECT_EQ(a.Get("Kvp"), 42.0);
    EXPECT_TRUE(a.IsModified());
    EXPECT_EQ(a.SecondaryList().front()->Val(), b.Get(a.SecondaryList().front()->VarName()));
    EXPECT_FALSE(a.Differs(b));
    // The other way round the secondary lists differ: b keeps its 740 defaults, a holds 0 there.
    EXPECT_TRUE(b.Differs(a));

    // Assigning from the other family zeroes the names that family does not index.
    Cfg c740(740);
    c740.Set("Kvp", 7);
    a = c740;
    EXPECT_EQ(a.Get("Kvp"), 7.0);
    EXPECT_EQ(a.Get("InpMap1"), 0.0);
    EXPECT_FALSE(a.Differs(c740));

    a.Assign(a); // self-assignment changes nothing
    EXPECT_EQ(a.Get("Kvp"), 7.0);
}

TEST(MotorValues, TableBindingsDefaultsAndCopies)
{
    Motor m;
    EXPECT_EQ(m.PrimaryList().size(), 18u);
    EXPECT_TRUE(m.SecondaryList().empty());
    EXPECT_EQ(m.Get("MaxVBus"), 320.0);
    EXPECT_EQ(m.Get("thermaltimeconst"), 1.76);
    EXPECT_EQ(m.Get("PeakToCont"), 0.0);

    m.Set("Inertia", 2.5);
    Motor copy(m);
    EXPECT_TRUE(copy.IsModified());
    EXPECT_EQ(copy.Get("Inertia"), 2.5);
    copy.Set("Inertia", 9);
    EXPECT_EQ(m.Get("Inertia"), 2.5);
    EXPECT_NE(copy.Find("Inertia"), m.Find("Inertia"));

    Motor other;
    other = copy;
    EXPECT_EQ(other.Get("Inertia"), 9.0);
    EXPECT_FALSE(other.Differs(copy));
}
