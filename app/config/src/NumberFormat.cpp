#include "NumberFormat.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace tools700::numfmt {

namespace {
locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}
} // namespace

std::string Fixed(double x, int decimals)
{
    // Largest double printed in fixed notation has 309 integer digits.
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return "0";
    return std::string(buf, r.ptr);
}

bool ReadNumber(const char *p, double &out, const char **end)
{
    char *e = nullptr;
    double v = strtod_l(p, &e, CLocale());
    if (e == p)
        return false;
    out = v;
    if (end)
        *end = e;
    return true;
}

} // namespace tools700::numfmt
