#include "tools700/common/NumberText.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace tools700::numtext {

namespace {

// Large enough for a double in fixed notation (309 integer digits) with its decimals.
constexpr std::size_t kBuffer = 400;

std::string ToChars(double x, std::chars_format format, int precision)
{
    char buf[kBuffer];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, format, precision);
    if (r.ec != std::errc())
        return "0";
    return std::string(buf, r.ptr);
}

} // namespace

std::string WithPoint(std::string text, char point)
{
    if (point != kCPoint)
        for (char &c : text)
            if (c == kCPoint)
                c = point;
    return text;
}

std::string Fixed(double x, int decimals, char point)
{
    return WithPoint(ToChars(x, std::chars_format::fixed, decimals), point);
}

std::string General(double x, char point, int significant)
{
    if (x == 0)
        x = 0; // no "-0"
    // std::to_chars with a precision writes what printf("%.<n>g") writes in the C locale.
    return WithPoint(ToChars(x, std::chars_format::general, significant), point);
}

std::string Shortest(double x)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

std::string Fixed15(double x, int decimals, char point)
{
    if (!std::isfinite(x) || std::fabs(x) >= 1e15) {
        std::string text = ToChars(x, std::chars_format::scientific, 14);
        for (char &c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return WithPoint(text, point);
    }
    const std::string digits = ToChars(x, std::chars_format::scientific, 14);
    double rounded = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), rounded);
    if (rounded == 0.0)
        rounded = 0.0; // no "-0.000"
    return Fixed(rounded, decimals, point);
}

std::optional<double> Parse(std::string_view text, char point)
{
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    // Checked by hand so that hexadecimal numbers, "nan" and "inf" never pass.
    std::string number;
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t n = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            number += text[i++];
            ++n;
        }
        return n;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            number += '-';
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < text.size() && (text[i] == kCPoint || text[i] == point)) {
        number += kCPoint;
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        number += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0.0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string NotANumberText(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid floating point value";
}

namespace {

locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

} // namespace

CNotation::CNotation() : previous_(uselocale(CLocale())) {}

CNotation::~CNotation() { uselocale(static_cast<locale_t>(previous_)); }

bool ReadNumber(const char *p, double &out, const char **end)
{
    char *e = nullptr;
    const double v = strtod_l(p, &e, CLocale());
    if (e == p)
        return false;
    out = v;
    if (end)
        *end = e;
    return true;
}

} // namespace tools700::numtext
