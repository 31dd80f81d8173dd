#include "tools700/wire/SymbolTable.h"

#include <atomic>
#include <cstring>

namespace tools700::wire {

namespace {

// Generated from the drive's variable table (link/data/variables.csv) at build time.
const WireSymbol kTable[kWireSymbolCount] = {
#include "WireSymbols.inc"
};

static_assert(sizeof kTable / sizeof kTable[0] == kWireSymbolCount);

std::atomic<bool> g_verified {false};

inline unsigned char Fold(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

}  // namespace

int CompareNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        unsigned char ca = Fold(*a), cb = Fold(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

const WireSymbol* SymbolAt(int index)
{
    if (index < 0 || index >= kWireSymbolCount)
        return nullptr;
    return &kTable[index];
}

bool TableIsSorted(const WireSymbol* table, int count)
{
    for (int i = 0; i + 1 < count; ++i)
        if (CompareNoCase(table[i].name, table[i + 1].name) >= 0)
            return false;
    return true;
}

const WireSymbol* SearchTable(const WireSymbol* table, int count, const char* name)
{
    int lo = 0, hi = count - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareNoCase(name, table[mid].name);
        if (c == 0)
            return &table[mid];
        if (c < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return nullptr;
}

const WireSymbol* LookupSymbol(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return nullptr;
    // Never read further than one character past the longest name: a caller's buffer without
    // a terminator in reach still gives "not found" rather than a stray read.
    if (strnlen(name, kMaxSymbolName + 1) > kMaxSymbolName)
        return nullptr;
    if (!g_verified.load(std::memory_order_acquire)) {
        if (!TableIsSorted(kTable, kWireSymbolCount))
            return nullptr;  // checked again on the next lookup
        g_verified.store(true, std::memory_order_release);
    }
    return SearchTable(kTable, kWireSymbolCount, name);
}

}  // namespace tools700::wire
