#include "tools700/config/TQXNum.h"

#include "tools700/common/NumberText.h"
#include "tools700/config/ValueSet.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tools700 {

TQXNum::TQXNum(const Symtab &table, NumEdit *editBox) : TQX(table), edit(editBox) {}

TQXNum::TQXNum(const Symtab &table, const std::string &varName, NumEdit *editBox)
    : TQX(table, varName), edit(editBox)
{
}

void TQXNum::Init(ValueSet *set)
{
    double x = set ? set->Get(name) : 0.0;
    if (!(min <= x && x <= max))
        x = (x >= min) ? max : min;
    Update(x);
}

void TQXNum::Update(double x)
{
    value = x;
    if (edit)
        edit->ShowNumText(NumText(x));
}

std::string TQXNum::NumText(double x) const { return NumText(x, type); }

std::string TQXNum::NumText(double x, uint8_t t)
{
    if (t == 0) {
        double tr = std::trunc(x);
        if (std::isnan(tr))
            return "0";
        return numtext::Fixed(tr, 0);
    }
    // Fixed notation with 5 decimals up to 15 integer digits, then scientific notation.
    if (std::isfinite(x) && std::fabs(x) < 1e15)
        return numtext::Fixed(x, 5);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
    return std::string(buf, r.ptr);
}

} // namespace tools700
