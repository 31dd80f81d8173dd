// The enumeration tables of the drive variables, each in drop-down order, and the registry
// that gives each variable (or pseudo-variable) its table.
#include "tools700/dictionary/Enums.h"

#include <iterator>

namespace tools700 {

namespace {

// Input and output function codes: the function number, plus 32768 for the active-high form.

// OpMode730 (end marker -1)
const EnumEntry kOpMode730Entries[] = {
    {7, "Position Mode -- Predefined Moves"},
    {3, "Position Mode -- Step and Direction"},
    {4, "Position Mode -- Electronic Gearing"},
    {1, "Velocity Mode -- Analog Command"},
    {5, "Velocity Mode -- Frequency Command"},
    {2, "Velocity Mode -- Serial Command"},
    {0, "Torque Mode -- Analog Command"},
    {6, "Torque Mode -- Frequency Command"},
};
const EnumTable kOpMode730{kOpMode730Entries, static_cast<int>(std::size(kOpMode730Entries)), -1};

// OpMode740 (end marker -1)
const EnumEntry kOpMode740Entries[] = {
    {1, "Velocity Mode -- Analog Command"},
    {5, "Velocity Mode -- Frequency Command"},
    {2, "Velocity Mode -- Serial Command"},
    {0, "Torque Mode -- Analog Command"},
    {6, "Torque Mode -- Frequency Command"},
};
const EnumTable kOpMode740{kOpMode740Entries, static_cast<int>(std::size(kOpMode740Entries)), -1};

// inpmap1, inpmap2, inpmap3, inpmap4, inpmap5, inpmap6 (end marker 0)
const EnumEntry kInpMapEntries[] = {
    {32775, "Analog Input Null (hi)"},
    {    7, "Analog Input Null (lo)"},
    {32774, "Counterclockwise Inhibit (hi)"},
    {    6, "Counterclockwise Inhibit (lo)"},
    {32773, "Clockwise Inhibit (hi)"},
    {    5, "Clockwise Inhibit (lo)"},
    {32777, "Command Gain Select (hi)"},
    {    9, "Command Gain Select (lo)"},
    {32771, "Enable2 (hi)"},
    {    3, "Enable2 (lo)"},
    {32769, "Fault Reset (hi)"},
    {    1, "Fault Reset (lo)"},
    {32782, "Gearing On (hi)"},
    {   14, "Gearing On (lo)"},
    {32783, "Home Switch Input (hi)"},
    {   15, "Home Switch Input (lo)"},
    {32779, "Move Select Bit0"},
    {32780, "Move Select Bit1"},
    {32781, "Move Select Bit2"},
    {    0, "No Function"},
    {32776, "Position Mode Select (hi)"},
    {    8, "Position Mode Select (lo)"},
    {32770, "RunStop (hi)"},
    {    2, "RunStop (lo)"},
    {32778, "Start Move (hi)"},
    {   10, "Start Move (lo)"},
    {32772, "Velocity Command Source (hi)"},
    {    4, "Velocity Command Source (lo)"},
};
const EnumTable kInpMap{kInpMapEntries, static_cast<int>(std::size(kInpMapEntries)), 0};

// inputmap1, inputmap2, inputmap3, inputmap4, inputmap5, inputmap6 (end marker 0)
const EnumEntry kInputMapEntries[] = {
    {32775, "Analog Input Null (hi)"},
    {    7, "Analog Input Null (lo)"},
    {32774, "Counterclockwise Inhibit (hi)"},
    {    6, "Counterclockwise Inhibit (lo)"},
    {32773, "Clockwise Inhibit (hi)"},
    {    5, "Clockwise Inhibit (lo)"},
    {32777, "Command Gain Select (hi)"},
    {    9, "Command Gain Select (lo)"},
    {32771, "Enable2 (hi)"},
    {    3, "Enable2 (lo)"},
    {32769, "Fault Reset (hi)"},
    {    1, "Fault Reset (lo)"},
    {    0, "No Function"},
    {32770, "RunStop (hi)"},
    {    2, "RunStop (lo)"},
    {32772, "Velocity Command Source (hi)"},
    {    4, "Velocity Command Source (lo)"},
};
const EnumTable kInputMap{kInputMapEntries, static_cast<int>(std::size(kInputMapEntries)), 0};

// outmap1, outmap2, outmap3, outmap4 (end marker 0)
const EnumEntry kOutMapEntries[] = {
    {32771, "Brake (hi)"},
    {    3, "Brake (lo)"},
    {32773, "Electrical Revs (hi)"},
    {    5, "Electrical Revs (lo)"},
    {32770, "Enabled (hi)"},
    {    2, "Enabled (lo)"},
    {32775, "Excess Position Error (hi)"},
    {    7, "Excess Position Error (lo)"},
    {32769, "Fault (hi)"},
    {    1, "Fault (lo)"},
    {32772, "Mechanical Revs (hi)"},
    {    4, "Mechanical Revs (lo)"},
    {32776, "Move Done (hi)"},
    {    8, "Move Done (lo)"},
    {    0, "No Function"},
    {32774, "Zero Speed (hi)"},
    {    6, "Zero Speed (lo)"},
};
const EnumTable kOutMap{kOutMapEntries, static_cast<int>(std::size(kOutMapEntries)), 0};

// outputmap1, outputmap2, outputmap3, outputmap4 (end marker 0)
const EnumEntry kOutputMapEntries[] = {
    {32771, "Brake (hi)"},
    {    3, "Brake (lo)"},
    {32773, "Electrical Revs (hi)"},
    {    5, "Electrical Revs (lo)"},
    {32770, "Enabled (hi)"},
    {    2, "Enabled (lo)"},
    {32775, "Excess Position Error (hi)"},
    {    7, "Excess Position Error (lo)"},
    {32769, "Fault (hi)"},
    {    1, "Fault (lo)"},
    {32772, "Mechanical Revs (hi)"},
    {    4, "Mechanical Revs (lo)"},
    {    0, "No Function"},
    {32774, "Zero Speed (hi)"},
    {    6, "Zero Speed (lo)"},
};
const EnumTable kOutputMap{kOutputMapEntries, static_cast<int>(std::size(kOutputMapEntries)), 0};

// dm1map, dm2map (end marker 0)
const EnumEntry kDMMapEntries[] = {
    {10, "Analog Input"},
    { 0, "Analog Output"},
    {24, "Cmd Non_Trq Current"},
    {15, "Commutation Angle"},
    { 8, "Current Command"},
    { 9, "Current Feedback"},
    {29, "Digital Cmd Freq"},
    {11, "Encoder Frequency"},
    {12, "Encoder Position"},
    { 4, "Filtered Velocity Error"},
    {14, "HS Temperature"},
    {30, "I^2*t Filtered Current"},
    {13, "I*t Filtered Current"},
    {16, "IU (current in phase U)"},
    {17, "IV (current in phase V)"},
    {18, "IW (current in phase W)"},
    {25, "Non-Trq IFB"},
    {27, "Non-Trq Voltage Cmd"},
    { 7, "Position Command"},
    { 6, "Position Error"},
    { 5, "Position"},
    {23, "Respos"},
    {26, "Trq Voltage Cmd"},
    {22, "VBus"},
    {28, "Velocity Command"},
    { 2, "Velocity Command (actual)"},
    { 3, "Velocity Error"},
    { 1, "Velocity Feedback"},
    {19, "VU (voltage in phase U)"},
    {20, "VV (voltage in phase V)"},
    {21, "VW (voltage in phase W)"},
};
const EnumTable kDMMap{kDMMapEntries, static_cast<int>(std::size(kDMMapEntries)), 0};

// ain1map, ain2map, ain3map (end marker 0)
const EnumEntry kAInMapEntries[] = {
    {0, "No Function"},
};
const EnumTable kAInMap{kAInMapEntries, static_cast<int>(std::size(kAInMapEntries)), 0};

// blktype (end marker 0)
const EnumEntry kBlkTypeEntries[] = {
    {0, "Analog Torque Block"},
    {1, "Analog Velocity Block"},
    {2, "Digital Position Block"},
    {4, "Frequency Torque Block"},
    {5, "Frequency Velocity Block"},
    {8, "Serial Velocity Block"},
};
const EnumTable kBlkType{kBlkTypeEntries, static_cast<int>(std::size(kBlkTypeEntries)), 0};

// ActiveMoveType, Move0Type, Move1Type, Move2Type, Move3Type, Move4Type, Move5Type, Move6Type, Move7Type (end marker 0)
const EnumEntry kMoveTypeEntries[] = {
    {0, "Hold Position"},
    {1, "Velocity"},
    {2, "Incremental"},
    {3, "Absolute"},
    {5, "Incremental Registration"},
    {6, "Absolute Registration"},
    {4, "Home"},
};
const EnumTable kMoveType{kMoveTypeEntries, static_cast<int>(std::size(kMoveTypeEntries)), 0};

// ActiveHomeMode, Move0HomeMode, Move1HomeMode, Move2HomeMode, Move3HomeMode, Move4HomeMode, Move5HomeMode, Move6HomeMode, Move7HomeMode (end marker 0)
const EnumEntry kHomeModeEntries[] = {
    {0, "Home Switch"},
    {1, "Marker Pulse"},
    {2, "Home Switch + Marker Pulse"},
    {3, "Use Present Position"},
    {4, "Use Resolver Position"},
};
const EnumTable kHomeMode{kHomeModeEntries, static_cast<int>(std::size(kHomeModeEntries)), 0};

// ActiveHomeDir, Move0HomeDir, Move1HomeDir, Move2HomeDir, Move3HomeDir, Move4HomeDir, Move5HomeDir, Move6HomeDir, Move7HomeDir (end marker 0)
const EnumEntry kHomeDirEntries[] = {
    {0, "Clockwise"},
    {1, "CounterClockwise"},
};
const EnumTable kHomeDir{kHomeDirEntries, static_cast<int>(std::size(kHomeDirEntries)), 0};

// ActiveRegSelect, Move0RegSelect, Move1RegSelect, Move2RegSelect, Move3RegSelect, Move4RegSelect, Move5RegSelect, Move6RegSelect, Move7RegSelect (end marker 0)
const EnumEntry kRegSelectEntries[] = {
    {0, "Reg1 (Inp4)"},
    {1, "Reg2 (Inp5)"},
};
const EnumTable kRegSelect{kRegSelectEntries, static_cast<int>(std::size(kRegSelectEntries)), 0};

// FaultCode (end marker 0)
const EnumEntry kFaultCodeEntries[] = {
    { 0, "0 -  No fault"},
    { 1, "1 -  VelFB over-speed"},
    { 2, "2 -  Motor over-temperature"},
    { 3, "3 -  User +5V low"},
    { 4, "4 -  Continuous Current Fault"},
    { 5, "5 -  Drive over-current"},
    { 6, "6 -  Control +/- 12V too low"},
    { 7, "7 -  not assigned"},
    { 8, "8 -  not assigned"},
    { 9, "9 -  Bus over-voltage"},
    {10, "10 - not assigned"},
    {11, "11 - Bus under-voltage"},
    {12, "12 - Ambient temp too low"},
    {13, "13 - Encoder aligment failed"},
    {14, "14 - Firmware / nvram mismatch"},
    {15, "15 - Firmware / hardware mismatch"},
    {16, "16 - Unconfigured drive"},
    {17, "17 - AInNull events too close"},
    {18, "18 - Position following error"},
    {19, "19 - Parameter memory error"},
    {20, "20 - Initialization fault"},
    {21, "21 - Drive over-temperature"},
    {22, "22 - Resolver fault"},
};
const EnumTable kFaultCode{kFaultCodeEntries, static_cast<int>(std::size(kFaultCodeEntries)), 0};

// Fault (end marker 0)
const EnumEntry kFaultEntries[] = {
    {0, "No Fault"},
    {1, "Faulted"},
};
const EnumTable kFault{kFaultEntries, static_cast<int>(std::size(kFaultEntries)), 0};

// ExtFault (end marker 0)
const EnumEntry kExtFaultEntries[] = {
    { 0, "0 - No more information"},
    { 1, "1 - Absolute resolver overspeed"},
    { 2, "2 - Variable resolver overspeed"},
    { 3, "3 - Calibration data corrupted"},
    { 4, "4 - Excessive dc offset in IFB sensor"},
    { 5, "5 - DSP reset failure"},
    { 6, "6 - not assigned"},
    { 7, "7 - not assigned"},
    { 8, "8 - Excessive dc offset in Analog Cmd"},
    { 9, "9 - not assigned"},
    {10, "10 - DSP stack overflow"},
    {11, "11 - not assigned"},
    {12, "12 - Firmware / ASIC mismatch"},
    {13, "13 - Model / NVRAM mismatch"},
    {14, "14 - Can't determine power stage"},
    {15, "15 - Drive NVRAM corrupt"},
    {16, "16 - RAM failure"},
    {17, "17 - Calibration RAM failure"},
    {18, "18 - No-motion fault"},
    {19, "19 - Excessive motion"},
    {20, "20 - Motor failed to settle"},
    {21, "21 - Test failed"},
    {22, "22 - Motion overflow"},
    {23, "23 - Hall comm -- Invalid Configuration"},
    {24, "24 - Hall comm -- Overspeed"},
    {25, "25 - Hall comm -- Invalid Hall State"},
    {26, "26 - Hall comm -- Invalid Hall Transition"},
    {27, "27 - Drive I*t fault"},
    {28, "28 - Motor I^2*t fault"},
};
const EnumTable kExtFault{kExtFaultEntries, static_cast<int>(std::size(kExtFaultEntries)), 0};

// Reg1ActiveEdge, Reg2ActiveEdge (end marker 0)
const EnumEntry kActiveEdgeEntries[] = {
    {0, "Falling Edge"},
    {1, "Rising Edge"},
};
const EnumTable kActiveEdge{kActiveEdgeEntries, static_cast<int>(std::size(kActiveEdgeEntries)), 0};

// MotorType (end marker 0)
const EnumEntry kMotorTypeEntries[] = {
    {0, "Rotary"},
    {1, "Linear"},
};
const EnumTable kMotorType{kMotorTypeEntries, static_cast<int>(std::size(kMotorTypeEntries)), 0};

// CommSrc (end marker 0)
const EnumEntry kCommSrcEntries[] = {
    {1, "Incremental Encoder"},
    {2, "Comcoder (Hall/Encoder)"},
    {0, "Resolver"},
};
const EnumTable kCommSrc{kCommSrcEntries, static_cast<int>(std::size(kCommSrcEntries)), 0};

// RemoteFB (end marker 0)
const EnumEntry kRemoteFBEntries[] = {
    {0, "Resolver for Vel & Pos"},
    {1, "Resolver for Vel & Encoder for Pos"},
    {2, "Encoder for Vel & Pos"},
};
const EnumTable kRemoteFB{kRemoteFBEntries, static_cast<int>(std::size(kRemoteFBEntries)), 0};

// EncOut (end marker 0)
const EnumEntry kEncOutEntries[] = {
    {    0, "0"},
    {  125, "125"},
    {  128, "128"},
    {  250, "250"},
    {  256, "256"},
    {  500, "500"},
    {  512, "512"},
    { 1000, "1000"},
    { 1024, "1024"},
    { 2000, "2000"},
    { 2048, "2048"},
    { 4000, "4000"},
    { 4096, "4096"},
    { 8000, "8000"},
    { 8192, "8192"},
    {16000, "16000"},
    {16384, "16384"},
};
const EnumTable kEncOut{kEncOutEntries, static_cast<int>(std::size(kEncOutEntries)), 0};

// DriveStatus (end marker 0)
const EnumEntry kDriveStatusEntries[] = {
    {0, "Unconfigured"},
    {1, "Faulted"},
    {2, "Enabled"},
    {3, "Disabled"},
};
const EnumTable kDriveStatus{kDriveStatusEntries, static_cast<int>(std::size(kDriveStatusEntries)), 0};

// EncMode (end marker 0)
const EnumEntry kEncModeEntries[] = {
    {0, "Quadrature encoder pulses"},
    {1, "Step and direction input signals"},
    {2, "Up/down input signals"},
    {3, "Ignores input signal"},
};
const EnumTable kEncMode{kEncModeEntries, static_cast<int>(std::size(kEncModeEntries)), 0};

// Enable (end marker 0)
const EnumEntry kEnableEntries[] = {
    {0, "Disable"},
    {1, "Enable"},
};
const EnumTable kEnable{kEnableEntries, static_cast<int>(std::size(kEnableEntries)), 0};

// Enabled (end marker 0)
const EnumEntry kEnabledEntries[] = {
    {0, "Disable"},
    {1, "Enable"},
};
const EnumTable kEnabled{kEnabledEntries, static_cast<int>(std::size(kEnabledEntries)), 0};

// HWEnable (end marker 0)
const EnumEntry kHWEnableEntries[] = {
    {0, "Hardware Disable"},
    {1, "Hardware Enable"},
};
const EnumTable kHWEnable{kHWEnableEntries, static_cast<int>(std::size(kHWEnableEntries)), 0};

// GearingOn (end marker 0)
const EnumEntry kGearingOnEntries[] = {
    {0, "Off"},
    {1, "On"},
};
const EnumTable kGearingOn{kGearingOnEntries, static_cast<int>(std::size(kGearingOnEntries)), 0};

// Model (end marker 0)
const EnumEntry kModelEntries[] = {
    { 732, "SV732"},
    { 733, "SV733"},
    { 734, "SV734"},
    { 742, "SV742"},
    { 743, "SV743"},
    { 744, "SV744"},
    {1733, "SVE733"},
    {1735, "SVE735"},
    {1743, "SVE743"},
    {1745, "SVE745"},
};
const EnumTable kModel{kModelEntries, static_cast<int>(std::size(kModelEntries)), 0};

} // namespace

// The registry, in its search order; names as the registry spells them (matched in any case).
const std::vector<EnumRegistration> &EnumRegistry()
{
    static const std::vector<EnumRegistration> registry = {
        {"OpMode730", &kOpMode730},
        {"OpMode740", &kOpMode740},
        {"inpmap1", &kInpMap}, {"inpmap2", &kInpMap}, {"inpmap3", &kInpMap},
        {"inpmap4", &kInpMap}, {"inpmap5", &kInpMap}, {"inpmap6", &kInpMap},
        {"inputmap1", &kInputMap}, {"inputmap2", &kInputMap}, {"inputmap3", &kInputMap},
        {"inputmap4", &kInputMap}, {"inputmap5", &kInputMap}, {"inputmap6", &kInputMap},
        {"outmap1", &kOutMap}, {"outmap2", &kOutMap}, {"outmap3", &kOutMap}, {"outmap4", &kOutMap},
        {"outputmap1", &kOutputMap}, {"outputmap2", &kOutputMap},
        {"outputmap3", &kOutputMap}, {"outputmap4", &kOutputMap},
        {"dm1map", &kDMMap}, {"dm2map", &kDMMap},
        {"ain1map", &kAInMap}, {"ain2map", &kAInMap}, {"ain3map", &kAInMap},
        {"blktype", &kBlkType},
        {"ActiveMoveType", &kMoveType},
        {"Move0Type", &kMoveType}, {"Move1Type", &kMoveType}, {"Move2Type", &kMoveType},
        {"Move3Type", &kMoveType}, {"Move4Type", &kMoveType}, {"Move5Type", &kMoveType},
        {"Move6Type", &kMoveType}, {"Move7Type", &kMoveType},
        {"ActiveHomeMode", &kHomeMode},
        {"Move0HomeMode", &kHomeMode}, {"Move1HomeMode", &kHomeMode}, {"Move2HomeMode", &kHomeMode},
        {"Move3HomeMode", &kHomeMode}, {"Move4HomeMode", &kHomeMode}, {"Move5HomeMode", &kHomeMode},
        {"Move6HomeMode", &kHomeMode}, {"Move7HomeMode", &kHomeMode},
        {"ActiveHomeDir", &kHomeDir},
        {"Move0HomeDir", &kHomeDir}, {"Move1HomeDir", &kHomeDir}, {"Move2HomeDir", &kHomeDir},
        {"Move3HomeDir", &kHomeDir}, {"Move4HomeDir", &kHomeDir}, {"Move5HomeDir", &kHomeDir},
        {"Move6HomeDir", &kHomeDir}, {"Move7HomeDir", &kHomeDir},
        {"ActiveRegSelect", &kRegSelect},
        {"Move0RegSelect", &kRegSelect}, {"Move1RegSelect", &kRegSelect},
        {"Move2RegSelect", &kRegSelect}, {"Move3RegSelect", &kRegSelect},
        {"Move4RegSelect", &kRegSelect}, {"Move5RegSelect", &kRegSelect},
        {"Move6RegSelect", &kRegSelect}, {"Move7RegSelect", &kRegSelect},
        {"FaultCode", &kFaultCode},
        {"Fault", &kFault},
        {"ExtFault", &kExtFault},
        {"Reg1ActiveEdge", &kActiveEdge}, {"Reg2ActiveEdge", &kActiveEdge},
        {"MotorType", &kMotorType},
        {"CommSrc", &kCommSrc},
        {"RemoteFB", &kRemoteFB},
        {"EncOut", &kEncOut},
        {"DriveStatus", &kDriveStatus},
        {"EncMode", &kEncMode},
        {"Enable", &kEnable},
        {"Enabled", &kEnabled},
        {"HWEnable", &kHWEnable},
        {"GearingOn", &kGearingOn},
        {"Model", &kModel},
    };
    return registry;
}

} // namespace tools700
