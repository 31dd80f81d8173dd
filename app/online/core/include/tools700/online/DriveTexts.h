// The texts the on-line window and `tools700-cli watch` make of drive values: numbers, value
// texts of enumerated variables, the motor name packed into Motor1/Motor2, the drive label and
// the hints that say which function an input or output is mapped to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tools700::online {

// A value in fixed-point notation (numtext::Fixed15), 0 decimals when the dictionary types the
// variable as integer, 3 otherwise: "12", "2.500"; `point` is the decimal separator.
std::string ValueNumberText(std::string_view name, double value, char point = '.');

// The text an enumeration box shows for a value: the entry whose key is the value truncated to
// an integer, else the table's first entry; "" when the name has no table.
std::string EnumValueText(std::string_view name, double value);

// The motor name carried by Motor1 and Motor2: the integer parts as two 32-bit words, their
// bytes lowest first, Motor1 before Motor2; the name ends at the first zero byte or after 8.
std::string MotorName(double motor1, double motor2);

// "Drive: SVE733" for Model 1733, "Drive: SV732" for 732.
std::string DriveLabel(double model);

// "Inp3 is unmapped" for value 0, otherwise "Inp3 is mapped to " and the text of the integer
// value in the enumeration table of `mapName` ("Inp3 is mapped to Fault Reset (lo)").
std::string MappingHint(std::string_view pin, std::string_view mapName, double value);

// The SERCOS-capable drives: Model 741..749, or 1741 and above.
bool IsSercosCapable(int model);

} // namespace tools700::online
