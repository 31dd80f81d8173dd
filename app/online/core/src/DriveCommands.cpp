#include "tools700/online/DriveCommands.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/online/DriveTexts.h"

#include <algorithm>

namespace tools700::online {

std::string RunCommand(const std::string &command)
{
    return line::ExeCmd700(command.c_str()) == 0 ? kDoneCaption : kFailedCaption;
}

bool ConfirmNvLoad(int driveModel, Messages &messages)
{
    return !IsSercosCapable(driveModel) || messages.Confirm(kNvLoadQuestion);
}

bool CheckCommunication(Messages &messages)
{
    double axis = 0;
    if (line::GetVar700("AxisAddr", &axis) == 0)
        return true;
    messages.Warning(kNoCommunication, BtnOk);
    return false;
}

PollingSuspended::PollingSuspended(Session &session) : session_(session) { session_.SuspendStatusPolling(); }

PollingSuspended::~PollingSuspended() { session_.ResumeStatusPolling(); }

std::string FaultResetQuestion(int input)
{
    return "Whoops!  FaultReset is currently mapped to Inp" + std::to_string(input) +
           "!\n\nDo you want to temporarily override this mapping?";
}

void ResetFault(Messages &messages)
{
    bool pulse = true;
    for (int n = 1; n <= 6; ++n) {
        const std::string map = "InpMap" + std::to_string(n);
        double value = 0;
        if (line::GetVar700(map.c_str(), &value) != 0) {
            messages.Message(kCantReadInputMaps);
            pulse = false;
            break;
        }
        const bool faultReset = std::any_of(kFaultResetCodes.begin(), kFaultResetCodes.end(),
                                            [&](int code) { return value == code; });
        if (!faultReset)
            continue;
        if (messages.WarnYesNo(FaultResetQuestion(n))) {
            // The input's own level would hold the fault reset input: the mapping is lifted for
            // the pulse and put back afterwards.
            line::PutVar700(map.c_str(), 0);
            line::PutVar700("FaultReset", 1);
            line::PutVar700("FaultReset", 0);
            if (line::PutVar700(map.c_str(), value) != 0)
                messages.Message(kCantRemapFaultReset);
            pulse = false;
            break;
        }
    }
    if (pulse) {
        line::PutVar700("FaultReset", 1);
        line::PutVar700("FaultReset", 0);
    }
}

} // namespace tools700::online
