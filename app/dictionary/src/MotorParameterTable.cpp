// The parameters of a user motor definition. Every entry: id 0, unit code 0, no help topic,
// writable, in both configurations, in neither listing.
#include "tools700/dictionary/Symtab.h"

namespace tools700 {

namespace {

#define MOTOR_PARAM(name, type, min, max, def, help) \
    {name, type, 0, 0, 0, 0, 1, 1, 0, 0, min, max, def, help}

// clang-format off
const SymtabEntry kMotorParameters[] = {
    //          name                 type  min       max      default  help
    MOTOR_PARAM("CoilWeight",        1,    0.000001, 1000000, 1,    "Coil weight"),
    MOTOR_PARAM("CommOffset",        0,    0,        65535,   0,    "CommOffset"),
    MOTOR_PARAM("CommSrc",           0,    0,        2,       1,    "Commutation source"),
    MOTOR_PARAM("CountsPerX",        0,    1,        1000000, 1,    "Counts per rev, or counts per unit length"),
    MOTOR_PARAM("EncoderResolution", 1,    0.000001, 65535,   1,    "Encoder resolution"),
    MOTOR_PARAM("HallOffset",        0,    0,        359,     0,    "Offset for hall sensors"),
    MOTOR_PARAM("ICS",               1,    0.000001, 65535,   1,    "Maximum continuous rated current at stall"),
    MOTOR_PARAM("Inductance",        1,    0.000001, 65535,   1,    "Inductance"),
    MOTOR_PARAM("Inertia",           1,    0.000001, 1000000, 1,    "Inertia"),
    MOTOR_PARAM("LinearKe",          1,    0.000001, 1000000, 1,    "Voltage constant Ke (line - line)"),
    MOTOR_PARAM("MaxVBus",           0,    0,        1000,    320,  "Maximum ac bus voltage "),
    MOTOR_PARAM("MotorType",         0,    0,        1,       0,    "Motor type"),
    MOTOR_PARAM("PoleCount",         0,    1,        65535,   1,    "PoleCount"),
    MOTOR_PARAM("PoleSpacing",       1,    0.000001, 65535,   1,    "Pole spacing"),
    MOTOR_PARAM("RHot",              1,    0.000001, 65535,   1,    "Motor resistance (hot)"),
    MOTOR_PARAM("RotaryKe",          1,    0.000001, 1000000, 1,    "Voltage constant Ke (line - line)"),
    MOTOR_PARAM("ShowMetric",        0,    0,        1,       1,    "Show metric units when applicable"),
    MOTOR_PARAM("ThermalTimeConst",  1,    0.001,    1000000, 1.76, "Thermal time constant"),
    {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Table terminator"},
};
// clang-format on

#undef MOTOR_PARAM

} // namespace

const Symtab &MotorParameterTable()
{
    static const Symtab table(kMotorParameters);
    return table;
}

} // namespace tools700
