// Enumerated values, unit texts and the operating-mode rule of the drive variables.
// Every name is matched without regard to letter case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools700/dictionary/ValueLookup.h"

namespace tools700 {

// One (value, text) pair of an enumeration table.
struct EnumEntry {
    std::int32_t value;
    const char *text;
};

// An enumeration table: its entries in drop-down order and the end marker's value
// (0, or -1 for the two operating-mode tables).
struct EnumTable {
    const EnumEntry *entries;
    int count;
    std::int32_t endValue;

    const EnumEntry *begin() const { return entries; }
    const EnumEntry *end() const { return entries + count; }
};

// One registry row: a variable (or pseudo-variable) name and its table.
struct EnumRegistration {
    const char *name;
    const EnumTable *table;
};

// The registry in its order (80 names); the first matching name wins.
const std::vector<EnumRegistration> &EnumRegistry();

// The table registered for `name`, or nullptr.
const EnumTable *HasEnum(std::string_view name);
// The text of the first entry with `value`; "" when there is no table or no such entry.
std::string EnumText(std::string_view name, int value);
// The value of the first entry whose text equals `text` (any letter case); the end marker's
// value when none does; 0 when the name has no table.
int EnumValue(std::string_view name, std::string_view text);
// The position (from 0) of the first entry with `value`; 0 when none or no table.
int EnumIndex(std::string_view name, int value);
// Empties `list`, then adds the table's texts in order (nothing when there is no table).
void FillEnumList(std::vector<std::string> &list, std::string_view name);

// The text of a unit code 0..38 (code 3 is the empty text); nullopt for any other code.
std::optional<std::string> UnitCodeText(int code);

// The unit text of a dictionary variable: "" for a name not in the dictionary; the text of the
// entry's unit code; or, for code -1, the text its unit rule chooses from another variable,
// read from `set` when given and otherwise from the connected drive; "???" when there is no
// rule for the name or the drive cannot be read.
std::string UnitText(std::string_view name, const ValueLookup *set = nullptr);

// The OpMode730 value for a BlkType and an EncMode.
int OperatingMode(int blkType, int encMode);

// How UnitText reads a variable from the drive when no value set is given: a function with
// GetVar700's shape (status 0 on success). The default is the link library's GetVar700.
// Returns the previous reader. Meant for tools and tests; not for use while lookups run.
using DriveReadFn = int (*)(const char *name, double *value);
DriveReadFn SetDriveReader(DriveReadFn reader);

// Reads one variable from the drive through the current reader;
// raises tools700::Error("Can't communicate with drive") on a non-zero status.
double ReadDriveValue(const std::string &name);

} // namespace tools700
