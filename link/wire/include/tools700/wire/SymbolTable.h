// The wire symbol table: the drive's 335 variable and command names with their kind and
// 16-bit wire id. Integer variables, floating variables and commands have separate id ranges
// (integer 0..181, floating 0..131, commands 0..5); some ids have two names (aliases).
// The table is sorted by name without regard to case; lookups ignore case.
#pragma once

#include <cstddef>

namespace tools700::wire {

constexpr int kSymInt = 0;    // 32-bit integer variable
constexpr int kSymFloat = 1;  // 32-bit float variable
constexpr int kSymCmd = 2;    // drive command

constexpr int kWireSymbolCount = 335;
constexpr std::size_t kMaxSymbolName = 20;  // characters, without the terminating zero

struct WireSymbol {
    const char* name;
    int kind;
    int id;
};

// Entry `index` (0..334), or nullptr.
const WireSymbol* SymbolAt(int index);

// The entry named `name` (any letter case), or nullptr: for a null or empty name, a name
// longer than any entry, or when the table fails its order check (see TableIsSorted).
const WireSymbol* LookupSymbol(const char* name);

// Compares two names with letters folded to lower case, like strcmp.
int CompareNoCase(const char* a, const char* b);

// True when every adjacent pair of `table` is in strictly ascending order (ignoring case).
// LookupSymbol runs this once on the built-in table and answers nothing if it fails.
bool TableIsSorted(const WireSymbol* table, int count);

// Binary search of a sorted table; nullptr when not found.
const WireSymbol* SearchTable(const WireSymbol* table, int count, const char* name);

}  // namespace tools700::wire
