#include "tools700/dictionary/Symtab.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools700/Error.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700 {

namespace {

char Fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

int CompareNames(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = static_cast<unsigned char>(Fold(a[i]));
        const unsigned char cb = static_cast<unsigned char>(Fold(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string FixedNumberText(double v, int decimals)
{
    // std::to_chars never looks at the C locale, which a Qt program sets from the user's.
    char buf[400];
    if (!std::isfinite(v) || std::fabs(v) >= 1e15) {
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
        std::string text(buf, r.ptr);
        for (char &c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }
    // Round to 15 significant digits first, so digits a double cannot carry show as zeros.
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    double rounded = 0.0;
    std::from_chars(buf, r.ptr, rounded);
    if (rounded == 0.0)
        rounded = 0.0; // no "-0.000"
    r = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

Symtab::Symtab(const SymtabEntry *entries) : entries_(entries), count_(0), checkPending_(true)
{
    while (entries_[count_].name != nullptr)
        ++count_;
}

void Symtab::CheckSorted() const
{
    for (int i = 0; i + 1 < count_; ++i)
        if (CompareNames(entries_[i].name, entries_[i + 1].name) >= 0)
            throw Error("Symbol Table is not sorted!");
    checkPending_.store(false, std::memory_order_release);
}

const SymtabEntry *Symtab::Lookup(std::string_view name) const
{
    if (checkPending_.load(std::memory_order_acquire))
        CheckSorted();
    int lo = 0;
    int hi = count_ - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = CompareNames(name, entries_[mid].name);
        if (c == 0)
            return &entries_[mid];
        if (c < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return nullptr;
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

std::string Symtab::BoundsText(std::string_view name) const
{
    const SymtabEntry *e = Lookup(name);
    if (e == nullptr)
        return "No such variable???";
    const int decimals = e->type == kIntegerVar ? 0 : 3;
    return "min = " + FixedNumberText(e->min, decimals) + ", max = " + FixedNumberText(e->max, decimals);
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
