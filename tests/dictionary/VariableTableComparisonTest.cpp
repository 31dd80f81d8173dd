// The tables generated from the variable table against the two tables typed by hand before it:
// the wire symbol table and the dictionary hold the same entries, field by field, in the same
// order.
#include <gtest/gtest.h>

#include <cstring>

#include "tools700/dictionary/Symtab.h"
#include "tools700/wire/SymbolTable.h"

namespace {

using namespace tools700::wire;

const WireSymbol kGeneratedWire[] = {
#include "WireSymbols.inc"
};

const tools700::SymtabEntry kGeneratedDictionary[] = {
#include "DictionaryEntries.inc"
};

} // namespace

TEST(VariableTableComparison, GeneratedWireTableEqualsTheTypedOne)
{
    ASSERT_EQ(std::size(kGeneratedWire), static_cast<std::size_t>(kWireSymbolCount));
    for (int i = 0; i < kWireSymbolCount; ++i) {
        const WireSymbol &typed = *SymbolAt(i);
        const WireSymbol &generated = kGeneratedWire[i];
        SCOPED_TRACE(typed.name);
        EXPECT_STREQ(generated.name, typed.name);
        EXPECT_EQ(generated.kind, typed.kind);
        EXPECT_EQ(generated.id, typed.id);
    }
}

TEST(VariableTableComparison, GeneratedDictionaryEqualsTheTypedOne)
{
    const tools700::Symtab &typed = tools700::Dictionary();
    ASSERT_EQ(std::size(kGeneratedDictionary), static_cast<std::size_t>(typed.Count()));
    for (int i = 0; i < typed.Count(); ++i) {
        const tools700::SymtabEntry &t = typed[i];
        const tools700::SymtabEntry &g = kGeneratedDictionary[i];
        SCOPED_TRACE(t.name);
        EXPECT_STREQ(g.name, t.name);
        EXPECT_EQ(g.type, t.type);
        EXPECT_EQ(g.id, t.id);
        EXPECT_EQ(g.units, t.units);
        EXPECT_EQ(g.helpTopic, t.helpTopic);
        EXPECT_EQ(g.readOnly, t.readOnly);
        EXPECT_EQ(g.cfg730, t.cfg730);
        EXPECT_EQ(g.cfg740, t.cfg740);
        EXPECT_EQ(g.list730, t.list730);
        EXPECT_EQ(g.list740, t.list740);
        EXPECT_EQ(std::memcmp(&g.min, &t.min, sizeof g.min), 0) << g.min << " / " << t.min;
        EXPECT_EQ(std::memcmp(&g.max, &t.max, sizeof g.max), 0) << g.max << " / " << t.max;
        EXPECT_EQ(std::memcmp(&g.defaultValue, &t.defaultValue, sizeof g.defaultValue), 0);
        EXPECT_STREQ(g.help, t.help);
    }
}
