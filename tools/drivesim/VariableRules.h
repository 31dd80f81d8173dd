// What the drive accepts for each variable: its default, its bounds and whether the serial
// link may write it. Taken from the program's dictionary, with the drive's own exceptions.
#pragma once

#include <string_view>

namespace drivesim {

struct VariableRule {
    double defaultValue = 0.0;
    double min = 0.0;
    double max = 0.0;
    bool checkBounds = false;  // false: every value of the type is accepted
    bool readOnly = false;     // the drive refuses writes with READONLY (0x41)
    bool ioMap = false;        // an input/output map: bit 15 marks the active-high form
};

// The rule for a variable name (any spelling of the wire table).
VariableRule RuleFor(std::string_view name);

// True when `value` is within the rule (always true when bounds are not checked). A floating
// variable travels as a 32-bit float, so its bounds are compared as 32-bit floats too: the
// host's nearest float to a bound is accepted.
bool WithinBounds(const VariableRule& rule, double value, bool isFloat);

}  // namespace drivesim
