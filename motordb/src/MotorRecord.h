// One motor of the database: its figures, and for the database index its name and source.
#pragma once

#include <optional>
#include <string>

namespace mdb700 {

inline constexpr int kHarmonicCount = 20;

// The figures of one motor, in the order the built-in table lists them.
struct MotorFigures {
    double type;               // 0 rotary, any other value linear
    double countsPerX;         // counts per revolution or per unit length
    double ke;                 // V (0-peak) per rad/s, or per m/s for a linear motor
    double inertia;            // kg m^2
    double inductance;         // mH
    double rHot;               // ohm, hot winding
    double poleCount;
    double ics;                // continuous stall current, A (0-peak)
    double cosHarm[kHarmonicCount];
    double sinHarm[kHarmonicCount];
    double aveNormT6stp;
    double commOffset;         // electrical degrees
    double commSrc;
    double showMetric;         // 1 metric, 0 English display units
    double poleSpacing;
    double encoderResolution;  // microns
    double hallOffset;         // electrical degrees
    double thermalTimeConst;   // minutes
    double linearKe;
    double rotaryKe;
    double coilWeight;         // kg
    double maxVBus;            // V, 0 when not rated
    double peakToCont;         // 0 when not given
};

// A row of the table compiled into the library.
struct BuiltinMotor {
    const char *name;
    MotorFigures figures;
};

// A motor held by the database. Built-in motors have no source; an extension motor's source
// is the base name of the file that defined it.
struct MotorRecord {
    std::string name;
    std::optional<std::string> source;
    MotorFigures figures;
};

} // namespace mdb700
