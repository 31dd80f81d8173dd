// Reads many variables of the drive at the link's current axis: GetVars700 exchanges of up to 32
// names each, and every name whose slot the drive did not report valid read again on its own with
// GetVar700, so a refused or unknown name costs one extra exchange and never hides the others.
// Each name gets its value or the link status of its last read.
#pragma once

#include "tools700/config/ValueSet.h"

#include <functional>
#include <string>
#include <vector>

namespace tools700 {

struct VariableReading {
    // The status a name keeps when it was not read at all: the reading was cancelled, or the
    // line had failed before its turn came (then the line's status is given instead).
    static constexpr int kNotRead = -1;

    std::string name;       // as asked
    int status = kNotRead;  // 0: value holds what the drive reported
    double value = 0;

    bool Read() const { return status == 0; }
};

// Tells the reader to stop before its next exchange; may be empty.
using CancelFn = std::function<bool()>;

// The names in the order given, each with its value or status. `progress` receives the fraction
// of names settled after every exchange. A line failure (no port, no response, the port lock, a
// communication error) on a name read alone ends the reading: the names not read yet get that
// status without an exchange, so a dead line costs two time-outs, not one per name.
std::vector<VariableReading> ReadVariables(const std::vector<std::string> &names, const ProgressFn &progress = {},
                                           const CancelFn &cancelled = {});

// Up to this many names go into one GetVars700 exchange.
inline constexpr std::size_t kNamesPerExchange = 32;

} // namespace tools700
