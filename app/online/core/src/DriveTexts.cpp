#include "tools700/online/DriveTexts.h"

#include "tools700/common/NumberText.h"
#include "tools700/config/Generator.h"

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tools700::online {

std::string ValueNumberText(std::string_view name, double value, char point)
{
    return numtext::Fixed15(value, Dictionary().IsInteger(name) ? 0 : 3, point);
}

std::string EnumValueText(std::string_view name, double value)
{
    const EnumTable *table = HasEnum(name);
    if (table == nullptr || table->count == 0)
        return {};
    const int index = EnumIndex(name, TruncToInt(value));
    return table->entries[index >= 0 && index < table->count ? index : 0].text;
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
