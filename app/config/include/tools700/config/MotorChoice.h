// The drives and motors a user picks from: the drive model names of the drive model table, the
// bus-voltage class of a drive, and the motors of the database offered for that class. The
// configuration wizard and the tuning wizard choose through these.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tools700 {

// The fieldbus drives "SVE733", "SVE735", "SVE743" and "SVE745" are of bus class 640, every other
// drive of 320.
int BusClassOf(std::string_view drive);

// The drive model names of the drive model table, in table order.
std::vector<std::string> DriveModelNames();
// Whether a motor is offered: always in in-house mode, for bus class 320, or when its highest bus
// voltage is at least 640.
bool MotorOffered(bool inHouse, int busClass, double maxVBus);
// The motor names of the database offered for a bus class, sorted by name (ignoring case).
std::vector<std::string> MotorNames(bool inHouse, int busClass);

} // namespace tools700
