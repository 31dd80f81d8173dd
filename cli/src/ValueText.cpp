#include "ValueText.h"

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <charconv>
#include <cmath>

namespace tools700::cli {

std::string NumberText(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string ValueWithText(const std::string &name, double v)
{
    const bool integer = Dictionary().IsInteger(name) || HasEnum(name) != nullptr;
    std::string text = integer ? NumberText(std::trunc(v)) : NumberText(v);
    if (HasEnum(name)) {
        std::string e = EnumText(name, TruncToInt(v));
        if (!e.empty())
            text += " (" + e + ")";
    }
    return text;
}

} // namespace tools700::cli
