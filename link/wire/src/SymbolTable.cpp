#include "tools700/wire/SymbolTable.h"

#include "tools700/names/Names.h"

#include <atomic>
#include <cstring>
#include <span>

namespace tools700::wire {

namespace {

// Generated from the drive's variable table (link/data/variables.csv) at build time.
const WireSymbol kTable[kWireSymbolCount] = {
#include "WireSymbols.inc"
};

static_assert(sizeof kTable / sizeof kTable[0] == kWireSymbolCount);

std::atomic<bool> g_verified {false};

}  // namespace

int CompareNoCase(const char* a, const char* b)
{
    return names::Compare(a, b);
}

const WireSymbol* SymbolAt(int index)
{
    if (index < 0 || index >= kWireSymbolCount)
        return nullptr;
    return &kTable[index];
}

bool TableIsSorted(const WireSymbol* table, int count)
{
    return names::StrictlyAscending(std::span(table, static_cast<std::size_t>(count)), &WireSymbol::name);
}

const WireSymbol* SearchTable(const WireSymbol* table, int count, const char* name)
{
    return names::FindSorted(std::span(table, static_cast<std::size_t>(count)), name, &WireSymbol::name);
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
