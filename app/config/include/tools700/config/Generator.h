// The starting configuration computed from a motor, a drive model, an operating mode and the
// load inertia ratio, and the smaller operations that keep a configuration consistent with its
// motor and mode. All values are stored with ValueSet::Set, so names the set does not index
// (the other family's variables) are skipped.
#pragma once

#include "tools700/config/ValueSet.h"

#include <array>
#include <string>

namespace tools700 {

// Entries 1..6: functions of inputs 1..6; 7..10: functions of outputs 1..4 (entry 0 unused).
using IoMap = std::array<int, 11>;

void FillDefaults(ValueSet &set, const std::string &motor, const std::string &drive, int mode,
                  double inertiaRatio, const IoMap &io);
void UpdateForMotor(ValueSet &set, const std::string &motor, const std::string &drive, int mode);
int ModeFromBlocks(const ValueSet &set);
void SetHarmonics(ValueSet &set, const std::string &motor);
// Rounds to a 1-2-5 step: 7.3 -> 10, 3.7 -> 5, 2.5 -> 2, 1.9 -> 1; 0 for x <= 0.
double NiceValue(double x);

// The default I/O map of an operating mode as the new-configuration wizard offers it: Fault Reset
// (hi), Clockwise and Counterclockwise Inhibit (hi) on inputs 1..3, Fault (lo) and Brake (lo) on
// outputs 1 and 4; the 730 family adds mode-specific functions on inputs 2..5.
IoMap DefaultIoMap(bool family740, int mode);

// Motor name packing of Motor1/Motor2: four characters per value, lowest byte first.
double PackMotorName(const std::string &motor, int part /* 0: chars 1-4, 1: chars 5-8 */);
// The name packed in Motor1 and Motor2 (each the 32-bit word of the drive, as a signed or an
// unsigned integer): up to the first zero byte, at most eight characters.
std::string UnpackMotorName(double motor1, double motor2);

} // namespace tools700
