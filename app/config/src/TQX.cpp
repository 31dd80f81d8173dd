#include "tools700/config/TQX.h"

#include "tools700/common/Error.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tools700 {

namespace {
// A broken cousin relation is a programming error that would corrupt every linked window:
// stop at once, naming the failed check.
[[noreturn]] void CheckFailed(const char *check)
{
    std::fprintf(stderr, "700Tools: check failed: %s (module qx)\n", check);
    std::abort();
}
} // namespace

TQX::TQX(const Symtab &table) : dictionary(&table) {}

TQX::TQX(const Symtab &table, const std::string &varName) : dictionary(&table)
{
    // Not virtual dispatch here: the base behaviour is the only SetVarName of every binding.
    TQX::SetVarName(varName);
}

TQX::~TQX() { Disconnect(); }

void TQX::SetVarName(const std::string &varName)
{
    std::string canonical;
    int t = 0;
    double lo = 0, hi = 0, def = 0;
    if (!dictionary->VarInfo(varName, canonical, t, lo, hi, def))
        throw Error("Invalid Name");
    name = canonical;
    type = static_cast<uint8_t>(t);
    min = lo;
    max = hi;
    value = def;
}

bool TQX::Matches(const std::string &text) const { return CompareNames(text, name) == 0; }

void TQX::Accept(TQX *p)
{
    auto i = std::find(cousins.begin(), cousins.end(), p);
    if (!(i == cousins.end()))
        CheckFailed("i==cousins.end()");
    cousins.push_back(p);
}

void TQX::Release(TQX *p)
{
    auto i = std::find(cousins.begin(), cousins.end(), p);
    if (i == cousins.end() || !((*i) == p))
        CheckFailed("(*i)==p");
    cousins.erase(i);
}

void TQX::Connect(TQX *other)
{
    if (other == nullptr || other == this)
        return;
    for (TQX *c : other->cousins)
        c->Accept(this);
    for (TQX *c : other->cousins)
        Accept(c);
    other->Accept(this);
    Accept(other);
}

void TQX::Disconnect()
{
    for (TQX *c : cousins)
        c->Release(this);
    cousins.clear();
}

void TQX::UpdateAll()
{
    const double x = value;
    Update(x);
    // Update may not change the cousin list, but copy it to stay safe against re-entry.
    const std::vector<TQX *> group = cousins;
    for (TQX *c : group)
        c->Update(x);
}

int TQX::Filter(int key) const
{
    const bool printable = key >= 0x20 && key != 0x7F;
    if (!printable)
        return key;
    const char *allowed = nullptr;
    if (type == 0)
        allowed = "0123456789+-";
    else if (type == 1)
        allowed = "0123456789+-eE.,";
    else
        return key;
    if (key < 0x80 && std::strchr(allowed, key) != nullptr)
        return key;
    return 0;
}

} // namespace tools700
