#include "WireNames.h"

#include "tools700/dictionary/Symtab.h"

namespace drivesim {

WireNames::WireNames(std::vector<WireName> entries) : entries_(std::move(entries))
{
    for (std::size_t i = 0; i < entries_.size(); ++i) byName_.emplace(entries_[i].name, i);
}

int WireNames::IdCount(int kind) const
{
    int n = 0;
    for (const auto& e : entries_)
        if (e.kind == kind && e.id + 1 > n) n = e.id + 1;
    return n;
}

const WireName* WireNames::Find(std::string_view name) const
{
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &entries_[it->second];
}

std::vector<const WireName*> WireNames::NamesOf(int kind, int id) const
{
    std::vector<const WireName*> out;
    for (const auto& e : entries_)
        if (e.kind == kind && e.id == id) out.push_back(&e);
    return out;
}

std::string WireNames::Canonical(int kind, int id, bool family740) const
{
    auto names = NamesOf(kind, id);
    if (names.empty()) return {};
    if (names.size() == 1) return names.front()->name;
    // Aliases: the input and output maps have a spelling per family; otherwise the spelling
    // the program's dictionary uses (IU rather than IR, ARF0 rather than ARF0_Tq).
    for (const WireName* n : names) {
        const std::string& s = n->name;
        bool longMap = s.rfind("InputMap", 0) == 0 || s.rfind("OutputMap", 0) == 0;
        bool shortMap = s.rfind("InpMap", 0) == 0 || s.rfind("OutMap", 0) == 0;
        if ((longMap && family740) || (shortMap && !family740)) return s;
    }
    for (const WireName* n : names) {
        try {
            if (const auto* entry = tools700::Dictionary().Lookup(n->name))
                return entry->name;
        } catch (...) {
            break;
        }
    }
    for (const WireName* n : names)
        if (n->name.find('_') == std::string::npos) return n->name;
    return names.front()->name;
}

}  // namespace drivesim
