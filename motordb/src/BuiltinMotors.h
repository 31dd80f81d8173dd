// The motor table compiled into the library; the build generates its definition from
// motordb/data/motors.csv after checking the table's rules.
#pragma once

#include "MotorRecord.h"

#include <cstddef>

namespace mdb700 {

inline constexpr std::size_t kBuiltinMotorCount = 232;

extern const BuiltinMotor kBuiltinMotors[kBuiltinMotorCount];

} // namespace mdb700
