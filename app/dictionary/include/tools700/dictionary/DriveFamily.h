// Drive families by the drive's integer Model code.
#pragma once

#include <string>

namespace tools700 {

enum class DriveFamily { None, F730, F740 };

// 730 family: 732, 733, 734, 1733, 1735. 740 family: 742, 743, 744, 1743, 1745
// (the SERCOS-capable drives).
bool Is730Family(int model);
bool Is740Family(int model);
DriveFamily FamilyOf(int model);

// "SVE" followed by the code minus 1000 for a code above 1000 (fieldbus drives),
// otherwise "SV" followed by the code.
std::string ModelText(int model);

// A drive value (always a double) as an integer: truncated toward zero, saturating at the
// 32-bit limits; NaN gives 0. Used for Model, BlkType, EncMode and enumeration keys.
int TruncToInt(double value);

} // namespace tools700
