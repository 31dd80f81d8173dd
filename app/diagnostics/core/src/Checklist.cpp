#include "tools700/diagnostics/Checklist.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

#include <cmath>
#include <cstdio>

namespace tools700::diagnostics {

const std::array<const char *, kValueCount> kValueNames = {
    "InpMap1",  "InpMap2",   "InpMap3",  "InpMap4",  "InpMap5",  "InpMap6",  "FaultReset",
    "VBus",     "CWInh",     "CCWInh",   "Fault",    "FaultCode", "ExtFault", "CommEnbl",
    "IlmtMinus", "IlmtPlus", "VelLmtHi", "VelLmtLo", "Kip",      "BlkType",  "Kpp",
    "CmdGain",  "Kvp",       "Kvi",      "Cfgd",
};

double &DiagnosticValues::At(std::size_t i)
{
    double *const fields[kValueCount] = {
        &InpMap[0], &InpMap[1], &InpMap[2], &InpMap[3], &InpMap[4], &InpMap[5], &FaultReset,
        &VBus,      &CWInh,     &CCWInh,    &Fault,     &FaultCode, &ExtFault,  &CommEnbl,
        &IlmtMinus, &IlmtPlus,  &VelLmtHi,  &VelLmtLo,  &Kip,       &BlkType,   &Kpp,
        &CmdGain,   &Kvp,       &Kvi,       &Cfgd,
    };
    return *fields[i < kValueCount ? i : 0];
}

int FindMappedInput(const DiagnosticValues &v, int code1, int code2)
{
    for (int n = 1; n <= 6; ++n) {
        const double map = v.InpMap[n - 1];
        if (map == code1 || map == code2)
            return n;
    }
    return 0;
}

namespace {

std::string Inp(int n) { return "Inp" + std::to_string(n); }

int BlkType(const DiagnosticValues &v) { return TruncToInt(v.BlkType); }

std::string FaultResetMessage(const DiagnosticValues &v)
{
    if (const int n = FindMappedInput(v, kFaultResetHi, kFaultResetLo))
        return "FaultReset is asserted on the drive!\n"
               "This will prevent the drive from being\n"
               "enabled.  FaultReset is currently mapped\n"
               "to " + Inp(n) + ".  You must turn this input off\n"
               "in order to enable the drive.";
    return "The FaultReset bit is asserted on the drive,\n"
           "even though no mappable inputs is set up\n"
           "as the FaultReset input.  You need to go to the\n"
           "variables screen and clear the FaultReset bit\n"
           "in order to enable the drive.";
}

std::string VBusMessage(const DiagnosticValues &v)
{
    char volts[32];
    std::snprintf(volts, sizeof volts, "%.0f", std::trunc(v.VBus));
    return std::string("The bus voltage is abnormally low.\n"
                       "The present value is ") + volts + " volts.\n"
           "Check to make sure that you have the correct\n"
           "wiring for the bus power on the connector marked TB1.";
}

std::string BothInhibitsMessage(const DiagnosticValues &v)
{
    std::string text = "Both inhibit inputs (CWInh and CCWInh) are asserted.\n"
                       "This will prevent motion in either direction.  You\n"
                       "need to de-assert the inputs (maybe you have\n"
                       "the inhibits programmed with the wrong polarity?).\n";
    if (const int n = FindMappedInput(v, kCWInhibitHi, kCWInhibitLo))
        text += "(CWInhibit is currently mapped to " + Inp(n) + ".)\n";
    if (const int m = FindMappedInput(v, kCCWInhibitHi, kCCWInhibitLo))
        text += "(CCWInhibit is currently mapped to " + Inp(m) + ".)\n";
    return text;
}

// A check whose message does not depend on the values.
template <const char *Text> std::string Fixed(const DiagnosticValues &) { return Text; }

constexpr char kCWInhText[] = "The CWInh bit is asserted on the drive even though\n"
                              "no mappable input is set up as the CWInh input.  You\n"
                              "need to go to the variables screen to clear the\n"
                              "CWInh bit in order to operate the drive in the\n"
                              "clockwise direction.";
constexpr char kCCWInhText[] = "The CCWInh bit is asserted on the drive even though\n"
                               "no mappable input is set up as the CCWInh input.  You\n"
                               "need to go to the variables screen to clear the\n"
                               "CCWInh bit in order to operate the drive in the\n"
                               "counter-clockwise direction.";
constexpr char kCWOnlyText[] = "The clockwise inhibit is asserted at the moment.\n"
                               "This will prevent motion in the clockwise direction.\n";
constexpr char kCCWOnlyText[] = "The counterclockwise inhibit is asserted at the moment.\n"
                                "This will prevent motion in the counterclockwise direction.\n";
constexpr char kCommEnblText[] = "Commutation is presently disabled (CommEnbl = 0).\n"
                                 "You must re-enable motor commutation by setting\n"
                                 "CommEnbl to 1 before you will be able to spin the motor.";
constexpr char kIlmtPlusText[] = "You have a very low value for IlmtPlus.  This\n"
                                 "may prevent the motor from getting to full speed\n"
                                 "in the positive direction.  It may prevent any\n"
                                 "motor motion at all.";
constexpr char kIlmtMinusText[] = "You have a very low value for IlmtMinus.  This\n"
                                  "may prevent the motor from getting to full speed\n"
                                  "in the negative direction.  It may prevent any\n"
                                  "motor motion at all.";
constexpr char kVelLmtHiText[] = "You have a low value for positive velocity limit.\n"
                                 "This may prevent the motor from getting to full speed\n"
                                 "in the positive direction.";
constexpr char kVelLmtLoText[] = "You have a low value for negative velocity limit.\n"
                                 "This may prevent the motor from getting to full speed\n"
                                 "in the negative direction.";
constexpr char kKipText[] = "The current loop gain (Kip) is equal to 0.  This\n"
                            "will prevent current from flowing to the motor\n"
                            "and prevent the motor from moving at all.";
constexpr char kKppText[] = "The position loop gain (Kpp) is equal to 0.  This\n"
                            "will prevent proper position loop operation and\n"
                            "prevent the motor from moving at all.";
constexpr char kCmdGainText[] = "The command gain (CmdGain) is equal to 0.  This\n"
                                "may prevent motor motion.";
constexpr char kKvpText[] = "The drive is set up as a torque block with analog\n"
                            "command.  In this mode Kvp should be set to 1, but\n"
                            "on your system it isn't.  This will affect the scaling\n"
                            "between your analog command voltage and the actual\n"
                            "current produced.";
constexpr char kKviText[] = "The drive is set up as a torque block with analog\n"
                            "command.  In this mode Kvi should be set to 0, but\n"
                            "on your system it isn't.  This will cause erratic\n"
                            "behavior of the motor.";
constexpr char kNotConfiguredText[] = "This drive is not configured!";

// BlkType codes the rules name.
constexpr int kAnalogTorque = 0, kAnalogVelocity = 1, kDigitalPosition = 2, kFrequencyTorque = 4,
              kFrequencyVelocity = 5;

bool CommandGainUsed(int blk)
{
    return blk == kAnalogTorque || blk == kAnalogVelocity || blk == kFrequencyTorque || blk == kFrequencyVelocity;
}

} // namespace

// Labels are padded with dots to one width, so the failure lines line up in the list.
const std::array<Check, kCheckCount> kChecks = {{
    {"FaultReset check ... ", [](const DiagnosticValues &v) { return v.FaultReset == 0; }, FaultResetMessage},
    {"VBus check ......... ", [](const DiagnosticValues &v) { return v.VBus >= 120; }, VBusMessage},
    {"CWInh check ........ ",
     [](const DiagnosticValues &v) { return v.CWInh == 0 || FindMappedInput(v, kCWInhibitHi, kCWInhibitLo) != 0; },
     Fixed<kCWInhText>},
    {"CCWInh check ....... ",
     [](const DiagnosticValues &v) { return v.CCWInh == 0 || FindMappedInput(v, kCCWInhibitHi, kCCWInhibitLo) != 0; },
     Fixed<kCCWInhText>},
    {"CW and CCW check 1 . ", [](const DiagnosticValues &v) { return v.CWInh == 0 || v.CCWInh == 0; },
     BothInhibitsMessage},
    {"CW and CCW check 2 . ", [](const DiagnosticValues &v) { return v.CWInh == 0 || v.CCWInh != 0; },
     Fixed<kCWOnlyText>},
    {"CW and CCW check 3 . ", [](const DiagnosticValues &v) { return v.CWInh != 0 || v.CCWInh == 0; },
     Fixed<kCCWOnlyText>},
    {"CommEnbl check ..... ", [](const DiagnosticValues &v) { return v.CommEnbl != 0; }, Fixed<kCommEnblText>},
    {"IlmtPlus check ..... ", [](const DiagnosticValues &v) { return v.IlmtPlus >= 10; }, Fixed<kIlmtPlusText>},
    {"IlmtMinus check .... ", [](const DiagnosticValues &v) { return v.IlmtMinus >= 10; }, Fixed<kIlmtMinusText>},
    {"VelLmtHi check ..... ", [](const DiagnosticValues &v) { return v.VelLmtHi >= 80; }, Fixed<kVelLmtHiText>},
    {"VelLmtLo check ..... ", [](const DiagnosticValues &v) { return v.VelLmtLo <= -80; }, Fixed<kVelLmtLoText>},
    {"Kip check .......... ", [](const DiagnosticValues &v) { return v.Kip != 0; }, Fixed<kKipText>},
    {"Kpp check .......... ",
     [](const DiagnosticValues &v) { return v.Kpp != 0 || BlkType(v) != kDigitalPosition; }, Fixed<kKppText>},
    {"CmdGain check ...... ",
     [](const DiagnosticValues &v) { return v.CmdGain != 0 || !CommandGainUsed(BlkType(v)); }, Fixed<kCmdGainText>},
    {"Kvp check .......... ",
     [](const DiagnosticValues &v) { return (v.Kvp >= 0.99 && v.Kvp <= 1.01) || BlkType(v) != kAnalogTorque; },
     Fixed<kKvpText>},
    {"Kvi check .......... ", [](const DiagnosticValues &v) { return v.Kvi == 0 || BlkType(v) != kAnalogTorque; },
     Fixed<kKviText>},
    // Cfgd is 1 on a configured drive: it is the unconfigured drive that fails.
    {"Configured check.... ", [](const DiagnosticValues &v) { return v.Cfgd != 0; }, Fixed<kNotConfiguredText>},
}};

ChecklistResult RunChecks(const DiagnosticValues &values)
{
    ChecklistResult result;
    if (values.Fault != 0) {
        result.faultLines = {"Drive is faulted!",
                             "  FaultCode : " + EnumText("FaultCode", TruncToInt(values.FaultCode)),
                             "  ExtFault  : " + EnumText("ExtFault", TruncToInt(values.ExtFault))};
    }
    for (std::size_t i = 0; i < kChecks.size(); ++i) {
        const Check &check = kChecks[i];
        if (!check.passes(values))
            result.failures.push_back({i, std::string(check.label) + " failed! <---", check.message(values)});
    }
    return result;
}

RunEnd UploadValues(DiagnosticValues &values, RunView &view)
{
    for (std::size_t i = 0; i < kValueCount; ++i) {
        // 0, 4, ..., 96 before each read.
        if (!view.Progress(static_cast<int>(4 * i)))
            return RunEnd::Interrupted;
        double value = 0;
        if (line::GetVar700(kValueNames[i], &value) != 0)
            return RunEnd::UploadFailed;
        values.At(i) = value;
    }
    return RunEnd::Completed;
}

RunEnd Run(DiagnosticValues &values, RunView &view)
{
    if (const RunEnd upload = UploadValues(values, view); upload != RunEnd::Completed) {
        if (upload == RunEnd::UploadFailed)
            view.UploadFailed();
        return upload;
    }
    return RunChecksOn(values, view);
}

RunEnd RunChecksOn(const DiagnosticValues &values, RunView &view)
{
    const ChecklistResult result = RunChecks(values);
    for (const std::string &line : result.faultLines)
        view.AddLine(line);
    std::size_t next = 0;
    for (std::size_t i = 0; i < kChecks.size(); ++i) {
        if (next < result.failures.size() && result.failures[next].index == i) {
            const FailedCheck &failure = result.failures[next++];
            view.AddLine(failure.line);
            if (!view.Failed(failure)) {
                view.AddLine(kAborted);
                return RunEnd::Aborted;
            }
        }
        if (!view.Dial(static_cast<int>(i)))
            return RunEnd::Interrupted;
    }
    for (int percent = 19; percent <= 100; ++percent)
        if (!view.Dial(percent))
            return RunEnd::Interrupted;
    view.AddLine(result.AllPassed() ? kAllPassed : kSomeFailed);
    view.AddLine(kDone);
    return RunEnd::Completed;
}

} // namespace tools700::diagnostics
