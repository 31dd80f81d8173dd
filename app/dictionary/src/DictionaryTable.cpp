// The drive variable dictionary (filled in below).
#include "tools700/dictionary/Symtab.h"

namespace tools700 {

namespace {

const SymtabEntry kDictionary[] = {
    {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
};

} // namespace

const Symtab &Dictionary()
{
    static const Symtab table(kDictionary);
    return table;
}

} // namespace tools700
