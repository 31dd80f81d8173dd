// The starting configuration from motor and drive data.
#include "tools700/config/Generator.h"

#include "mdb700.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tools700 {

namespace {
constexpr double kBandwidth = 75.0;
constexpr double kTwoPi = 6.283185307;
constexpr double kFourPi = 12.566370614;
constexpr double kRadPerSecToRpm = 9.549296585786658;
constexpr double kHalfSqrt3 = 0.866025;
constexpr double kVelocityCap = 21039.0;

bool IsTorqueMode(int mode) { return mode == 0 || mode == 6; }

int BlkTypeFor(int mode)
{
    switch (mode) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 8;
    case 3: return 2;
    case 4: return 2;
    case 5: return 5;
    case 6: return 4;
    case 7: return 2;
    default: return 0;
    }
}

int EncModeFor(int mode) { return mode == 7 ? 3 : (mode == 3 ? 1 : 0); }

bool IsZxqMotor(const std::string &motor) { return motor.compare(0, 3, "ZXQ") == 0; }

// The smaller of the limit and x; only a value above the limit is replaced.
double AtMost(double limit, double x) { return x > limit ? limit : x; }

double CmdGainValue(bool rotary, double vbus, double ke, double p)
{
    double x = rotary ? vbus / ke * kRadPerSecToRpm * 0.001 * 0.1
                      : vbus / ke * 0.001 * 0.1 * 60.0 * (100.0 / p);
    return NiceValue(x);
}

double VelLmtHiValue(int mode, bool rotary, double vbus, double ke, double p)
{
    double v;
    if (IsTorqueMode(mode))
        v = kVelocityCap;
    else if (rotary)
        v = vbus * 1.5 / ke * kRadPerSecToRpm;
    else
        v = vbus * 1.5 / ke * 60.0 * (100.0 / p);
    return AtMost(kVelocityCap, v);
}

void SetMotorFields(ValueSet &set, const std::string &motor)
{
    const bool rotary = mdb_Type(motor.c_str()) == 0.0;
    set.Set("Motor1", PackMotorName(motor, 0));
    set.Set("Motor2", PackMotorName(motor, 1));
    set.Set("PoleCount", rotary ? mdb_PoleCount(motor.c_str()) : 2.0);
    set.Set("HallOffset", mdb_HallOffset(motor.c_str()));
}
} // namespace

double PackMotorName(const std::string &motor, int part)
{
    uint32_t packed = 0;
    for (int i = 0; i < 4; ++i) {
        size_t at = static_cast<size_t>(part * 4 + i);
        if (at >= motor.size())
            break;
        packed |= static_cast<uint32_t>(static_cast<unsigned char>(motor[at])) << (8 * i);
    }
    return static_cast<double>(packed);
}

std::string UnpackMotorName(double motor1, double motor2)
{
    std::string name;
    for (double value : {motor1, motor2}) {
        // The word's 32 bits, whether the drive's value reads as signed or unsigned.
        const double whole = std::trunc(value);
        const auto word = std::isfinite(whole) && whole >= -2147483648.0 && whole < 4294967296.0
                              ? static_cast<uint32_t>(static_cast<int64_t>(whole))
                              : 0u;
        for (int i = 0; i < 4; ++i) {
            const char c = static_cast<char>((word >> (8 * i)) & 0xFF);
            if (c == '\0')
                return name;
            name += c;
        }
    }
    return name;
}

double NiceValue(double x)
{
    if (!(x > 0.0))
        return 0.0;
    const double lg = std::log10(x);
    const double e = std::trunc(lg);
    // x / 10^e equals 10^(log10(x) - e) but keeps exact leading digits (2.0 stays 2).
    const double m = std::trunc(x / std::pow(10.0, e));
    double d;
    if (m <= 1)
        d = 1;
    else if (m == 2)
        d = 2;
    else if (m <= 5)
        d = 5;
    else
        d = 10;
    return d * std::pow(10.0, e);
}

namespace {

// Default I/O maps, one row per operating mode 0..7 (entries 1..6 inputs, 7..10 outputs). Every
// mode has Fault Reset (hi), Clockwise and Counterclockwise Inhibit (hi) on inputs 1..3, Fault (lo)
// on output 1 and Brake (lo) on output 4; the 730 family adds functions on inputs 2..5.
constexpr int FR = 0x8001, CWI = 0x8005, CCWI = 0x8006, AIN = 0x8007, PMS = 0x8008, CGS = 0x8009,
              SM = 0x800A, MS0 = 0x800B, MS1 = 0x800C, MS2 = 0x800D, FLT = 1, BRK = 3;
constexpr IoMap kDefaultIo730[8] = {
    //    in1 in2  in3   in4  in5 in6 out1    out4
    {0, FR, CWI, CCWI, AIN, PMS, 0, FLT, 0, 0, BRK}, // 0 torque, analog command
    {0, FR, CWI, CCWI, CGS, PMS, 0, FLT, 0, 0, BRK}, // 1 velocity, analog command
    {0, FR, CWI, CCWI, CGS, PMS, 0, FLT, 0, 0, BRK}, // 2 velocity, serial command
    {0, FR, CWI, CCWI, 0, 0, 0, FLT, 0, 0, BRK},     // 3 position, step and direction
    {0, FR, CWI, CCWI, 0, 0, 0, FLT, 0, 0, BRK},     // 4 position, electronic gearing
    {0, FR, CWI, CCWI, CGS, PMS, 0, FLT, 0, 0, BRK}, // 5 velocity, frequency command
    {0, FR, CWI, CCWI, AIN, PMS, 0, FLT, 0, 0, BRK}, // 6 torque, frequency command
    {0, FR, MS0, MS1, MS2, SM, 0, FLT, 0, 0, BRK},   // 7 predefined moves
};
constexpr IoMap kDefaultIo740 = {0, FR, CWI, CCWI, 0, 0, 0, FLT, 0, 0, BRK}; // every mode

} // namespace

IoMap DefaultIoMap(bool family740, int mode)
{
    if (family740 || mode < 0 || mode > 7)
        return kDefaultIo740;
    return kDefaultIo730[mode];
}

void SetHarmonics(ValueSet &set, const std::string &motor)
{
    for (int n = 1; n <= 18; ++n) {
        if (n % 3 == 0)
            continue;
        const double theta = n * kFourPi / 3.0;
        const double c = mdb_CosHarm(motor.c_str(), n);
        const double s = mdb_SinHarm(motor.c_str(), n);
        char cosName[32], sinName[32];
        std::snprintf(cosName, sizeof cosName, "CosHarmCoeff%d", n);
        std::snprintf(sinName, sizeof sinName, "SinHarmCoeff%d", n);
        set.Set(cosName, -0.5 * ((1.0 - std::cos(theta)) * c + std::sin(theta) * s));
        set.Set(sinName, -0.5 * ((1.0 - std::cos(theta)) * s + std::sin(theta) * c));
    }
}

void FillDefaults(ValueSet &set, const std::string &motor, const std::string &drive, int mode,
                  double ratio, const IoMap &io)
{
    const char *m = motor.c_str();
    const bool rotary = mdb_Type(m) == 0.0;
    const double ke = mdb_Ke(m);
    const double j = mdb_Inertia(m);
    const double w = mdb_CoilWeight(m);
    const double l = mdb_Inductance(m);
    const double ics = mdb_ICS(m);
    const double p = mdb_PoleSpacing(m);
    const double vbus = ddb_BusVoltage(drive.c_str());
    const double ipk = ddb_IPeak(drive.c_str());
    const double number = ddb_Number(drive.c_str());
    const bool zxq = IsZxqMotor(motor);
    const bool torque = IsTorqueMode(mode);

    set.Set("BlkType", BlkTypeFor(mode));
    set.Set("CmdGain", CmdGainValue(rotary, vbus, ke, p));
    set.Set("CommOff", mdb_CommOffset(m));
    set.Set("CommSrc", mdb_CommSrc(m));
    set.Set("Dm1Gain", 5.0 / ipk);
    set.Set("Dm2Gain", 1.0 / CmdGainValue(rotary, vbus, ke, p));
    set.Set("EncIn", rotary ? 1024.0 : p / mdb_EncoderResolution(m) * 2500.0);
    set.Set("EncInF0", mode == 3 ? 800000.0 : 1600000.0);
    set.Set("EncMode", EncModeFor(mode));
    set.Set("HallOffset", mdb_HallOffset(m));
    const double k = mdb_PeakToCont(m) == 3.0 ? 300.0 : 500.0;
    const double ilmt = AtMost(100.0, ics / ipk * k);
    set.Set("ILmtMinus", ilmt);
    set.Set("ILmtPlus", ilmt);
    const double t = zxq ? mdb_ThermalTimeConst(m) * 0.2 : mdb_ThermalTimeConst(m);
    set.Set("I2tF0", 1.0 / (t * kTwoPi * 60.0));
    const double r = zxq ? ics / ipk * 1.25 : ics / ipk;
    set.Set("I2tThresh", AtMost(100.0, r * r * 1.2 * 100.0));
    set.Set("ItThresh", AtMost(60.0, ics / ipk * 300.0));
    set.Set("Kip", l * kTwoPi);
    set.Set("Kvi", torque ? 0.0 : kBandwidth * 0.06666666666666667);
    double kvp;
    if (torque)
        kvp = 1.0;
    else if (rotary)
        kvp = (j + j * ratio) * kBandwidth * kTwoPi / (ke * kHalfSqrt3);
    else
        kvp = (1.0 / (ke * kHalfSqrt3)) * (kBandwidth * (w + w * ratio) * p) * 0.01;
    set.Set("Kvp", kvp);
    set.Set("Model", number);
    set.Set("Motor1", PackMotorName(motor, 0));
    set.Set("Motor2", PackMotorName(motor, 1));
    set.Set("PoleCount", rotary ? mdb_PoleCount(m) : 2.0);
    set.Set("PulsesIn", mode == 3 ? 250.0 : 1.0);
    set.Set("PulsesOut", mode == 3 ? 16384.0 : 1.0);
    set.Set("VelLmtHi", VelLmtHiValue(mode, rotary, vbus, ke, p));
    set.Set("VelLmtLo", -VelLmtHiValue(mode, rotary, vbus, ke, p));
    set.Set("ARF0", torque ? 100000.0 : 150.0);
    set.Set("ARF1", torque ? 100000.0 : 750.0);
    const int num = static_cast<int>(number);
    set.Set("ItF0", (num == 1733 || num == 1735 || num == 1743 || num == 1745) ? 0.038 : 0.019);
    for (int i = 1; i <= 6; ++i)
        set.Set("InpMap" + std::to_string(i), io[static_cast<size_t>(i)]);
    for (int i = 1; i <= 4; ++i)
        set.Set("OutMap" + std::to_string(i), io[static_cast<size_t>(6 + i)]);
    for (int i = 1; i <= 6; ++i)
        set.Set("InputMap" + std::to_string(i), io[static_cast<size_t>(i)]);
    for (int i = 1; i <= 4; ++i)
        set.Set("OutputMap" + std::to_string(i), io[static_cast<size_t>(6 + i)]);
    SetHarmonics(set, motor);
}

void UpdateForMotor(ValueSet &set, const std::string &motor, const std::string & /*drive*/,
                    int mode)
{
    set.Set("BlkType", BlkTypeFor(mode));
    set.Set("EncMode", EncModeFor(mode));
    SetMotorFields(set, motor);
    SetHarmonics(set, motor);
}

int ModeFromBlocks(const ValueSet &set)
{
    return OperatingMode(TruncToInt(set.Get("BlkType")), TruncToInt(set.Get("EncMode")));
}

} // namespace tools700
