// The dictionary and the link library's wire symbol table describe the same drive: every
// dictionary name has the wire entry's type and id. The only differences are six wire names
// the dictionary leaves out and four the dictionary spells in another letter case.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "comm700.h"
#include "tools700/dictionary/Symtab.h"

using namespace tools700;

namespace {

struct WireEntry {
    std::string name;
    int id;
    int kind;
};

std::string Folded(std::string name)
{
    for (char &c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

std::map<std::string, WireEntry> WireTableByFoldedName()
{
    std::map<std::string, WireEntry> table;
    char name[21];
    int id = 0, kind = 0;
    for (int i = 0; Sym700(i, name, &id, &kind) == 1; ++i)
        table[Folded(name)] = {name, id, kind};
    return table;
}

} // namespace

TEST(DictionaryAgainstWireTable, SameNamesTypesAndIds)
{
    std::map<std::string, WireEntry> wire = WireTableByFoldedName();
    ASSERT_EQ(wire.size(), 335u);

    std::set<std::string> respelled;
    for (const SymtabEntry &e : Dictionary()) {
        SCOPED_TRACE(e.name);
        auto it = wire.find(Folded(e.name));
        ASSERT_NE(it, wire.end()) << "not in the wire table";
        EXPECT_EQ(it->second.kind, e.type);
        EXPECT_EQ(it->second.id, e.id);
        if (it->second.name != e.name)
            respelled.insert(it->second.name + "/" + e.name);
        wire.erase(it);
    }
    EXPECT_EQ(respelled, (std::set<std::string>{"DBGI/DbgI", "DBGL/DbgL",
                                                 "ITDerateIntercept/ItDerateIntercept",
                                                 "ITDerateSlope/ItDerateSlope"}));
    std::set<std::string> leftOut;
    for (const auto &[folded, entry] : wire)
        leftOut.insert(entry.name);
    EXPECT_EQ(leftOut,
              (std::set<std::string>{"ARF0_Tq", "ARF1_Tq", "BaudRate", "IR", "IS", "IT"}));
}
