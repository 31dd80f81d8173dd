#include "tools700/online/DriveTexts.h"

#include "tools700/config/Generator.h"

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tools700::online {

std::string ValueNumberText(std::string_view name, double value)
{
    return FixedNumberText(value, Dictionary().IsInteger(name) ? 0 : 3);
}

std::string EnumValueText(std::string_view name, double value)
{
    const EnumTable *table = HasEnum(name);
    if (table == nullptr || table->count == 0)
        return {};
    const int index = EnumIndex(name, TruncToInt(value));
    return table->entries[index >= 0 && index < table->count ? index : 0].text;
}

std::optional<double> ParseValueText(std::string_view text, char decimalPoint)
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
    if (i < text.size() && (text[i] == '.' || text[i] == decimalPoint)) {
        number += '.';
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

std::string MotorName(double motor1, double motor2) { return UnpackMotorName(motor1, motor2); }

std::string DriveLabel(double model) { return "Drive: " + ModelText(TruncToInt(model)); }

std::string MappingHint(std::string_view pin, std::string_view mapName, double value)
{
    const int code = TruncToInt(value);
    if (code == 0)
        return std::string(pin) + " is unmapped";
    return std::string(pin) + " is mapped to " + EnumText(mapName, code);
}

bool IsSercosCapable(int model) { return (model >= 741 && model <= 749) || model >= 1741; }

} // namespace tools700::online
