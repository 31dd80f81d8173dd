// Locale-independent number reading and writing for the files and listings: a decimal-comma
// locale still writes "12.500000" and reads it back.
#pragma once

#include <string>

namespace tools700::numfmt {

// printf "%.<decimals>f" in the C locale.
std::string Fixed(double x, int decimals);
// strtod in the C locale: reads a number in C notation at p (leading white space skipped);
// returns false when there is none. `end` is set after the number.
bool ReadNumber(const char *p, double &out, const char **end);

} // namespace tools700::numfmt
