#include "tools700/dictionary/DriveFamily.h"

#include <cmath>
#include <limits>

namespace tools700 {

bool Is730Family(int model)
{
    return model == 732 || model == 733 || model == 734 || model == 1733 || model == 1735;
}

bool Is740Family(int model)
{
    return model == 742 || model == 743 || model == 744 || model == 1743 || model == 1745;
}

DriveFamily FamilyOf(int model)
{
    if (Is730Family(model))
        return DriveFamily::F730;
    if (Is740Family(model))
        return DriveFamily::F740;
    return DriveFamily::None;
}

std::string ModelText(int model)
{
    if (model > 1000)
        return "SVE" + std::to_string(model - 1000);
    return "SV" + std::to_string(model);
}

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace tools700
