// The drive's view of the wire symbol table: which (kind, id) pairs exist and by which names
// they are known. The simulator fills it from the link library's own table (Sym700), so the
// drive and the host can never disagree about ids.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools700/names/Names.h"

namespace drivesim {

enum WireKind { kIntVar = 0, kFloatVar = 1, kCommandKind = 2 };

struct WireName {
    std::string name;
    int kind = 0;
    int id = 0;
};

class WireNames {
public:
    WireNames() = default;
    explicit WireNames(std::vector<WireName> entries);

    // Every entry of the link library's table (Sym700, index 0 upward).
    static WireNames FromLibrary();

    const std::vector<WireName>& All() const { return entries_; }
    // Highest id of a kind plus one (0 when the kind has no entry).
    int IdCount(int kind) const;
    // The entry of a name (any letter case), or nullptr.
    const WireName* Find(std::string_view name) const;
    // The names of (kind, id), aliases included, in table order; empty when unknown.
    std::vector<const WireName*> NamesOf(int kind, int id) const;
    // The name the drive of the given family uses for (kind, id): the dictionary's spelling
    // when it has one, the family's spelling for the input and output maps. Empty when unknown.
    std::string Canonical(int kind, int id, bool family740) const;

private:
    std::vector<WireName> entries_;
    std::map<std::string, std::size_t, tools700::names::Less> byName_;  // any letter case; index into entries_
};

// Case-insensitive equality of names.
inline constexpr auto& SameName = tools700::names::Equal;

}  // namespace drivesim
