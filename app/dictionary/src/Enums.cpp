// Queries on the enumeration registry. The registry is searched in order; the first name that
// matches (in any letter case) wins.
#include "tools700/dictionary/Enums.h"

#include "tools700/dictionary/Symtab.h"

namespace tools700 {

const EnumTable *HasEnum(std::string_view name)
{
    for (const EnumRegistration &r : EnumRegistry())
        if (CompareNames(name, r.name) == 0)
            return r.table;
    return nullptr;
}

std::string EnumText(std::string_view name, int value)
{
    if (const EnumTable *t = HasEnum(name))
        for (const EnumEntry &e : *t)
            if (e.value == value)
                return e.text;
    return {};
}

int EnumValue(std::string_view name, std::string_view text)
{
    const EnumTable *t = HasEnum(name);
    if (t == nullptr)
        return 0;
    for (const EnumEntry &e : *t)
        if (CompareNames(text, e.text) == 0)
            return e.value;
    return t->endValue;
}

int EnumIndex(std::string_view name, int value)
{
    if (const EnumTable *t = HasEnum(name))
        for (int i = 0; i < t->count; ++i)
            if (t->entries[i].value == value)
                return i;
    return 0;
}

void FillEnumList(std::vector<std::string> &list, std::string_view name)
{
    list.clear();
    if (const EnumTable *t = HasEnum(name))
        for (const EnumEntry &e : *t)
            list.emplace_back(e.text);
}

int OperatingMode(int blkType, int encMode)
{
    switch (blkType) {
    case 0:
        return 0; // Torque Mode -- Analog Command
    case 1:
        return 1; // Velocity Mode -- Analog Command
    case 2:
        switch (encMode) {
        case 0:
        case 2:
            return 4; // Position Mode -- Electronic Gearing
        case 1:
            return 3; // Position Mode -- Step and Direction
        case 3:
            return 7; // Position Mode -- Predefined Moves
        default:
            return 6; // Torque Mode -- Frequency Command
        }
    case 4:
        return 6; // Torque Mode -- Frequency Command
    case 5:
        return 5; // Velocity Mode -- Frequency Command
    case 8:
        return 2; // Velocity Mode -- Serial Command
    default:
        return 0;
    }
}

} // namespace tools700
