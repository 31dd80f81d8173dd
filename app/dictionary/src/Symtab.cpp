#include "tools700/dictionary/Symtab.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "tools700/common/Error.h"
#include "tools700/common/NumberText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/names/Names.h"

namespace tools700 {

int CompareNames(std::string_view a, std::string_view b)
{
    return names::Compare(a, b);
}

Symtab::Symtab(const SymtabEntry *entries) : entries_(entries), count_(0), checkPending_(true)
{
    while (entries_[count_].name != nullptr)
        ++count_;
}

void Symtab::CheckSorted() const
{
    if (!names::StrictlyAscending(std::span(entries_, static_cast<std::size_t>(count_)), &SymtabEntry::name))
        throw Error("Symbol Table is not sorted!");
    checkPending_.store(false, std::memory_order_release);
}

const SymtabEntry *Symtab::Lookup(std::string_view name) const
{
    if (checkPending_.load(std::memory_order_acquire))
        CheckSorted();
    return names::FindSorted(std::span(entries_, static_cast<std::size_t>(count_)), name, &SymtabEntry::name);
}

bool Symtab::VarInfo(std::string_view name, std::string &canonicalName, int &type, double &min,
                     double &max, double &defaultValue) const
{
    const SymtabEntry *e = Lookup(name);
    if (e == nullptr || e->type == kCommand)
        return false;
    canonicalName = e->name;
    type = e->type;
    min = e->min;
    max = e->max;
    defaultValue = e->defaultValue;
    return true;
}

bool Symtab::IsStatusVar(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e != nullptr && e->type != kCommand && e->cfg730 == 0;
}

bool Symtab::IsCfgVar(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e != nullptr && e->type != kCommand && e->cfg730 != 0;
}

bool Symtab::IsInteger(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e != nullptr && e->type == kIntegerVar;
}

bool Symtab::IsReadOnly(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e == nullptr || e->readOnly != 0;
}

bool Symtab::Listed730(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e != nullptr && e->list730 != 0;
}

bool Symtab::Listed740(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e != nullptr && e->list740 != 0;
}

std::string Symtab::CanonicalName(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    return e != nullptr ? std::string(e->name) : std::string(name);
}

std::string Symtab::HelpText(std::string_view name) const
{
    if (name.empty())
        return {};
    const SymtabEntry *e = Lookup(name);
    if (e == nullptr)
        return "--- no such symbol  ---";
    return e->help != nullptr ? e->help : "";
}

std::string Symtab::BoundsText(std::string_view name, char point) const
{
    const SymtabEntry *e = Lookup(name);
    if (e == nullptr)
        return "No such variable???";
    const int decimals = e->type == kIntegerVar ? 0 : 3;
    return "min = " + numtext::Fixed15(e->min, decimals, point) + ", max = " + numtext::Fixed15(e->max, decimals, point);
}

void Symtab::FillVariableList(std::vector<std::string> &list, bool all, int model) const
{
    list.clear();
    if (checkPending_.load(std::memory_order_acquire))
        CheckSorted();
    const DriveFamily family = FamilyOf(model);
    if (family == DriveFamily::None)
        return;
    for (const SymtabEntry &e : *this) {
        if (e.type == kCommand)
            continue;
        const bool listed = family == DriveFamily::F730 ? e.list730 != 0 : e.list740 != 0;
        if (all || listed)
            list.emplace_back(e.name);
    }
}

} // namespace tools700
