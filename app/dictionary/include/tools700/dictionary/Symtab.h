// The program's sorted tables of drive variables and commands: the drive variable dictionary
// and the motor parameter table. Lookups ignore letter case.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools700 {

// Entry types; the same codes as the link library's wire kinds SYM_INT, SYM_FLOAT, SYM_CMD.
enum : std::uint8_t { kIntegerVar = 0, kFloatVar = 1, kCommand = 2 };

// One variable or command. Plain data: the tables are arrays of these, ended by an entry whose
// name is null.
struct SymtabEntry {
    const char *name;      // the program's spelling of the drive's name; null ends a table
    std::uint8_t type;     // kIntegerVar, kFloatVar or kCommand
    std::int32_t id;       // wire id within the type's range
    std::int32_t units;    // unit code 0..38, or -1 when a unit rule chooses the text
    std::int32_t helpTopic;// help page number, 0 when there is none
    std::int32_t readOnly; // the program does not offer to change the value
    std::int32_t cfg730;   // member of a 730-family configuration
    std::int32_t cfg740;   // member of a 740-family configuration
    std::int32_t list730;  // offered for 730-family drives (variable lists, short listing)
    std::int32_t list740;  // offered for 740-family drives
    double min;
    double max;
    double defaultValue;
    const char *help;      // one-line description, possibly empty
};

// A sorted, read-only table of entries. The order (ascending, letters folded to lower case)
// is checked by the first lookup; an unsorted table makes every lookup raise
// tools700::Error("Symbol Table is not sorted!").
class Symtab {
public:
    // `entries` ends with an entry whose name is null; the table is not copied.
    explicit Symtab(const SymtabEntry *entries);
    Symtab(const Symtab &) = delete;
    Symtab &operator=(const Symtab &) = delete;

    int Count() const { return count_; }
    const SymtabEntry &operator[](int i) const { return entries_[i]; }
    const SymtabEntry *begin() const { return entries_; }
    const SymtabEntry *end() const { return entries_ + count_; }
    // The terminator entry (name null, help "Table terminator").
    const SymtabEntry &Terminator() const { return entries_[count_]; }

    // The entry of `name` (any letter case), or nullptr.
    const SymtabEntry *Lookup(std::string_view name) const;

    // False unless `name` is a variable (type 0 or 1); then fills the outputs.
    bool VarInfo(std::string_view name, std::string &canonicalName, int &type, double &min,
                 double &max, double &defaultValue) const;
    bool IsStatusVar(std::string_view name) const; // variable without cfg730
    bool IsCfgVar(std::string_view name) const;    // variable with cfg730
    bool IsInteger(std::string_view name) const;   // type 0
    bool IsReadOnly(std::string_view name) const;  // true for an unknown name
    bool Listed730(std::string_view name) const;
    bool Listed740(std::string_view name) const;
    // The table's spelling; `name` itself when it is not in the table.
    std::string CanonicalName(std::string_view name) const;
    // The help text; "" for an empty name, "--- no such symbol  ---" for an unknown one.
    std::string HelpText(std::string_view name) const;
    // "min = <min>, max = <max>" (0 decimals for integers, 3 otherwise, numtext::Fixed15 with
    // `point` as the decimal separator); "No such variable???" for an unknown name.
    std::string BoundsText(std::string_view name, char point = '.') const;
    // Empties `list`, then adds in table order every variable offered for the model's family
    // (list730/list740), or every variable when `all` is set; nothing for a model of no family.
    void FillVariableList(std::vector<std::string> &list, bool all, int model) const;

private:
    void CheckSorted() const;

    const SymtabEntry *entries_;
    int count_;
    mutable std::atomic<bool> checkPending_;
};

// The drive variable dictionary (329 entries) and the motor parameter table (18 entries).
const Symtab &Dictionary();
const Symtab &MotorParameterTable();

// Case-insensitive comparison used by every name lookup (letters folded to lower case, as
// tools700::names::Compare does for every part): negative, zero or positive.
int CompareNames(std::string_view a, std::string_view b);

} // namespace tools700
