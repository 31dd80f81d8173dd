// Unit texts: the fixed unit codes, and the rules that choose a text from another variable's
// value for the entries whose unit code is -1.
#include <atomic>
#include <iterator>

#include "tools700/common/Error.h"
#include "tools700/common/Line.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

namespace tools700 {

namespace {

// clang-format off
const char *const kUnitTexts[] = {
    /*  0 */ "RPM/sec",
    /*  1 */ "Hz",
    /*  2 */ "volts",
    /*  3 */ "",
    /*  4 */ "degrees",
    /*  5 */ "line count",
    /*  6 */ "encoder counts",
    /*  7 */ "RPM",
    /*  8 */ "amps",
    /*  9 */ "percent",
    /* 10 */ "volts/amp",
    /* 11 */ "amps/rad/sec",
    /* 12 */ "poles",
    /* 13 */ "emulated encoder counts",
    /* 14 */ "counts",
    /* 15 */ "seconds",
    /* 16 */ "(No Limit)",
    /* 17 */ "(Not Active)",
    /* 18 */ "(Pass Thru)",
    /* 19 */ "volts/volt",
    /* 20 */ "volts/Hz",
    /* 21 */ "volts/100%",
    /* 22 */ "volts/degree(C)",
    /* 23 */ "volts/cycle",
    /* 24 */ "(No Effect)",
    /* 25 */ "kRPM/kHz",
    /* 26 */ "kRPM/volt",
    /* 27 */ "amps/volt",
    /* 28 */ "amps/kHz",
    /* 29 */ "steps",
    /* 30 */ "encoder counts",
    /* 31 */ "encoder counts/cycle",
    /* 32 */ "volts/kRPM",
    /* 33 */ "volts/rev",
    /* 34 */ "volts/409.6",
    /* 35 */ "milliseconds",
    /* 36 */ "degrees(C)",
    /* 37 */ "%IPeak/Volt",
    /* 38 */ "volts/100%^2",
};

// Unit code of a DAC monitor's gain, by the monitor's signal (DM1Map/DM2Map value 0..30).
const int kMonitorSignalUnits[] = {
    /*  0 Analog Output              */ 24,
    /*  1 Velocity Feedback          */ 32,
    /*  2 Velocity Command (actual)  */ 32,
    /*  3 Velocity Error             */ 32,
    /*  4 Filtered Velocity Error    */ 32,
    /*  5 Position                   */ 33,
    /*  6 Position Error             */ 33,
    /*  7 Position Command           */ 33,
    /*  8 Current Command            */ 10,
    /*  9 Current Feedback           */ 10,
    /* 10 Analog Input               */ 19,
    /* 11 Encoder Frequency          */ 20,
    /* 12 Encoder Position           */ 34,
    /* 13 I*t Filtered Current       */ 21,
    /* 14 HS Temperature             */ 22,
    /* 15 Commutation Angle          */ 23,
    /* 16 IU                         */ 10,
    /* 17 IV                         */ 10,
    /* 18 IW                         */ 10,
    /* 19 VU                         */ 21,
    /* 20 VV                         */ 21,
    /* 21 VW                         */ 21,
    /* 22 VBus                       */ 19,
    /* 23 Respos                     */ 33,
    /* 24 Cmd Non_Trq Current        */ 10,
    /* 25 Non-Trq IFB                */ 10,
    /* 26 Trq Voltage Cmd            */ 21,
    /* 27 Non-Trq Voltage Cmd        */ 21,
    /* 28 Velocity Command           */ 32,
    /* 29 Digital Cmd Freq           */ 20,
    /* 30 I^2*t Filtered Current     */ 38,
};
// clang-format on

const std::string kUnknownUnit = "???";

enum class UnitRule { Rate, Speed, CommandGain, Monitor1Gain, Monitor2Gain, Offset };

struct UnitRuleRegistration {
    const char *name;
    UnitRule rule;
};

// clang-format off
const UnitRuleRegistration kUnitRules[] = {
    {"ActiveAccelRate", UnitRule::Rate},  {"ActiveDecelRate", UnitRule::Rate},
    {"ActiveRunSpeed", UnitRule::Speed},
    {"Move0AccelRate", UnitRule::Rate},   {"Move1AccelRate", UnitRule::Rate},
    {"Move2AccelRate", UnitRule::Rate},   {"Move3AccelRate", UnitRule::Rate},
    {"Move4AccelRate", UnitRule::Rate},   {"Move5AccelRate", UnitRule::Rate},
    {"Move6AccelRate", UnitRule::Rate},   {"Move7AccelRate", UnitRule::Rate},
    {"Move0DecelRate", UnitRule::Rate},   {"Move1DecelRate", UnitRule::Rate},
    {"Move2DecelRate", UnitRule::Rate},   {"Move3DecelRate", UnitRule::Rate},
    {"Move4DecelRate", UnitRule::Rate},   {"Move5DecelRate", UnitRule::Rate},
    {"Move6DecelRate", UnitRule::Rate},   {"Move7DecelRate", UnitRule::Rate},
    {"Move0RunSpeed", UnitRule::Speed},   {"Move1RunSpeed", UnitRule::Speed},
    {"Move2RunSpeed", UnitRule::Speed},   {"Move3RunSpeed", UnitRule::Speed},
    {"Move4RunSpeed", UnitRule::Speed},   {"Move5RunSpeed", UnitRule::Speed},
    {"Move6RunSpeed", UnitRule::Speed},   {"Move7RunSpeed", UnitRule::Speed},
    {"CmdGain", UnitRule::CommandGain},   {"CmdGain2", UnitRule::CommandGain},
    {"DM1Gain", UnitRule::Monitor1Gain},
    {"DM2Gain", UnitRule::Monitor2Gain},
    {"ADOffset", UnitRule::Offset},
};
// clang-format on

int ReadThroughLink(const char *name, double *value)
{
    return line::GetVar700(name, value);
}

std::atomic<DriveReadFn> gDriveReader{&ReadThroughLink};

// The rule's input value as an integer, from the value set or else from the drive.
int RuleInput(const char *variable, const ValueLookup *set)
{
    const double v = set != nullptr ? set->Get(variable) : ReadDriveValue(variable);
    return TruncToInt(v);
}

std::string CodeText(int code)
{
    return kUnitTexts[code];
}

std::string ApplyRule(UnitRule rule, const ValueLookup *set)
{
    switch (rule) {
    case UnitRule::Rate:
        return RuleInput("RemoteFB", set) != 0 ? "CPS/sec" : "RPM/sec";
    case UnitRule::Speed:
        return RuleInput("RemoteFB", set) != 0 ? "CPS" : "RPM";
    case UnitRule::CommandGain:
        switch (RuleInput("BlkType", set)) {
        case 0: return CodeText(27);
        case 1: return CodeText(26);
        case 2: return CodeText(24);
        case 4: return CodeText(28);
        case 5: return CodeText(25);
        case 8: return CodeText(24);
        default: return kUnknownUnit;
        }
    case UnitRule::Monitor1Gain:
    case UnitRule::Monitor2Gain: {
        const int signal = RuleInput(rule == UnitRule::Monitor1Gain ? "DM1Map" : "DM2Map", set);
        if (signal < 0 || signal >= static_cast<int>(std::size(kMonitorSignalUnits)))
            return kUnknownUnit;
        return CodeText(kMonitorSignalUnits[signal]);
    }
    case UnitRule::Offset:
        return RuleInput("BlkType", set) == 8 ? CodeText(24) : CodeText(2);
    }
    return kUnknownUnit;
}

} // namespace

std::optional<std::string> UnitCodeText(int code)
{
    if (code < 0 || code >= static_cast<int>(std::size(kUnitTexts)))
        return std::nullopt;
    return CodeText(code);
}

DriveReadFn SetDriveReader(DriveReadFn reader)
{
    return gDriveReader.exchange(reader != nullptr ? reader : &ReadThroughLink);
}

double ReadDriveValue(const std::string &name)
{
    double value = 0.0;
    if (gDriveReader.load()(name.c_str(), &value) != 0)
        throw Error("Can't communicate with drive");
    return value;
}

std::string UnitText(std::string_view name, const ValueLookup *set)
{
    const SymtabEntry *e = Dictionary().Lookup(name);
    if (e == nullptr)
        return {};
    if (std::optional<std::string> text = UnitCodeText(e->units))
        return *text;
    for (const UnitRuleRegistration &r : kUnitRules) {
        if (CompareNames(name, r.name) != 0)
            continue;
        try {
            return ApplyRule(r.rule, set);
        } catch (const Error &) {
            return kUnknownUnit;
        }
    }
    return kUnknownUnit;
}

} // namespace tools700
