// How the tool prints numbers and variables' values: C notation, whatever the locale.
#pragma once

#include <string>

namespace tools700::cli {

// A variable's value as `get` and `diff` print it: integers truncated, an enumeration's value
// followed by its text ("2 (Analog Torque Block)").
std::string ValueWithText(const std::string &name, double v);

} // namespace tools700::cli
