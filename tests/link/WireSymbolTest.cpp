// The wire symbol table and its case-insensitive lookup.
#include <gtest/gtest.h>

#include <string>

#include "tools700/wire/SymbolTable.h"

using namespace tools700::wire;

TEST(WireSymbols, TableIsCompleteAndSorted)
{
    EXPECT_TRUE(TableIsSorted(SymbolAt(0), kWireSymbolCount));
    int perKind[3] = {0, 0, 0};
    for (int i = 0; i < kWireSymbolCount; ++i) {
        const WireSymbol* s = SymbolAt(i);
        ASSERT_NE(s, nullptr);
        ASSERT_LE(std::string(s->name).size(), kMaxSymbolName);
        ++perKind[s->kind];
        EXPECT_EQ(LookupSymbol(s->name), s) << s->name;
    }
    EXPECT_EQ(perKind[kSymInt], 192);
    EXPECT_EQ(perKind[kSymFloat], 137);
    EXPECT_EQ(perKind[kSymCmd], 6);
    EXPECT_STREQ(SymbolAt(0)->name, "AccelLmt");
    EXPECT_STREQ(SymbolAt(334)->name, "ZeroSpeedThresh");
    EXPECT_EQ(SymbolAt(335), nullptr);
    EXPECT_EQ(SymbolAt(-1), nullptr);
}

TEST(WireSymbols, LookupIgnoresCaseAndKnowsAliases)
{
    for (const char* n : {"velcmd", "VELCMD", "VelCmd"}) {
        const WireSymbol* s = LookupSymbol(n);
        ASSERT_NE(s, nullptr) << n;
        EXPECT_EQ(s->kind, kSymFloat);
        EXPECT_EQ(s->id, 19);
    }
    EXPECT_EQ(LookupSymbol("InpMap1")->id, 66);
    EXPECT_EQ(LookupSymbol("InputMap1")->id, 66);
    EXPECT_EQ(LookupSymbol("IR")->id, 39);
    EXPECT_EQ(LookupSymbol("IU")->id, 39);
    EXPECT_EQ(LookupSymbol("NVSave")->kind, kSymCmd);
    EXPECT_EQ(LookupSymbol("NVSave")->id, 1);
    EXPECT_EQ(LookupSymbol("BlkType")->kind, kSymInt);
    EXPECT_EQ(LookupSymbol("BlkType")->id, 45);
    EXPECT_EQ(LookupSymbol("AccelLmt")->kind, kSymFloat);
    EXPECT_EQ(LookupSymbol("AccelLmt")->id, 45);
    EXPECT_EQ(LookupSymbol("Move7HomeMode")->id, 147);
    EXPECT_EQ(LookupSymbol("Move7DecelRate")->id, 118);
    EXPECT_EQ(LookupSymbol("SinHarmCoeff19")->id, 82);
    EXPECT_EQ(LookupSymbol("HWEnable")->id, 181);
    EXPECT_EQ(LookupSymbol("TableGen")->id, 5);
}

TEST(WireSymbols, BadNamesAreNotFound)
{
    EXPECT_EQ(LookupSymbol(nullptr), nullptr);
    EXPECT_EQ(LookupSymbol(""), nullptr);
    EXPECT_EQ(LookupSymbol("VelCmdX"), nullptr);
    EXPECT_EQ(LookupSymbol("Reg1ResolverPositionX"), nullptr);  // 21 characters
    std::string huge(100000, 'A');
    EXPECT_EQ(LookupSymbol(huge.c_str()), nullptr);
    EXPECT_EQ(LookupSymbol("Vel Cmd"), nullptr);
}

TEST(WireSymbols, UnsortedTableIsDetected)
{
    const WireSymbol table[] = {{"b", kSymInt, 1}, {"A", kSymInt, 2}, {"c", kSymInt, 3}};
    EXPECT_FALSE(TableIsSorted(table, 3));
    const WireSymbol dup[] = {{"a", kSymInt, 1}, {"A", kSymInt, 2}};
    EXPECT_FALSE(TableIsSorted(dup, 2));
    const WireSymbol good[] = {{"a", kSymInt, 1}, {"B", kSymInt, 2}, {"c_d", kSymInt, 3}};
    EXPECT_TRUE(TableIsSorted(good, 3));
    EXPECT_EQ(SearchTable(good, 3, "b")->id, 2);
    EXPECT_EQ(SearchTable(good, 3, "C_D")->id, 3);
    EXPECT_EQ(SearchTable(good, 3, "zz"), nullptr);
    EXPECT_LT(CompareNoCase("ARF0", "ARF0_Tq"), 0);
    EXPECT_EQ(CompareNoCase("abc", "ABC"), 0);
}
