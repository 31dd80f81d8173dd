// What the unit rules need of a value set: the value of a variable by name.
#pragma once

#include <string>

namespace tools700 {

// Implemented by the configuration model's ValueSet. Get returns 0 for a name the set
// does not hold.
class ValueLookup {
public:
    virtual ~ValueLookup() = default;
    virtual double Get(const std::string &name) const = 0;
};

} // namespace tools700
