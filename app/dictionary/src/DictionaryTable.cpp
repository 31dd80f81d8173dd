// The drive variable dictionary: every drive variable and command the program handles, one entry
// each, in ascending order of name without regard to letter case (checked on first lookup). The
// entries are generated at build time from the drive's variable table, link/data/variables.csv,
// which says what each column holds; a new variable is a row there.
#include "tools700/dictionary/Symtab.h"

namespace tools700 {

namespace {

// name, type, id, units, topic, readOnly, cfg730, cfg740, list730, list740, min, max, default, help
const SymtabEntry kDictionary[] = {
#include "DictionaryEntries.inc"
    {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
};

} // namespace

const Symtab &Dictionary()
{
    static const Symtab table(kDictionary);
    return table;
}

} // namespace tools700
