#include "ValueText.h"

#include "tools700/common/NumberText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <cmath>

namespace tools700::cli {

std::string ValueWithText(const std::string &name, double v)
{
    const bool integer = Dictionary().IsInteger(name) || HasEnum(name) != nullptr;
    std::string text = integer ? numtext::Shortest(std::trunc(v)) : numtext::Shortest(v);
    if (HasEnum(name)) {
        std::string e = EnumText(name, TruncToInt(v));
        if (!e.empty())
            text += " (" + e + ")";
    }
    return text;
}

} // namespace tools700::cli
