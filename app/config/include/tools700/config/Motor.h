// Motor: a user motor definition of the motor database editor, the 18 parameters of the motor
// parameter table, kept in the units it displays (metric or English, by ShowMetric). Motors
// are values: a copy has bindings of its own.
#pragma once

#include "tools700/config/ValueSet.h"

namespace tools700 {

class Motor : public ValueSet {
public:
    Motor();
    Motor(const Motor &other);
    Motor &operator=(const Motor &other)
    {
        Assign(other);
        return *this;
    }

    // One line of 20 numbers in the stored (metric) units, no line end, no name: the file's
    // base name is the motor's name. Returns 1; the model is ignored.
    int Save(const std::string &fileName, int model) override;
    using ValueSet::SaveAs;
    int SaveAs() override;
    // Reads the definition lines (the last one wins); returns 1.
    int Load(const std::string &fileName) override;
    using ValueSet::LoadFrom;
    bool LoadFrom() override;
};

} // namespace tools700
