// The drive commands of the on-line window, apart from the window: NV load with its fieldbus
// question, NV save with its communication check, Unconfigure, and the fault reset that respects
// an input mapped to Fault Reset. Questions and reports go through Messages.
#pragma once

#include <array>
#include <string>

namespace tools700 {
class Messages;
class Session;
} // namespace tools700

namespace tools700::online {

inline constexpr const char *kNvLoadQuestion =
    "Performing an NVLOAD will overwrite IDN values currently being used with the last values saved "
    "using NVSAVE.  \nAre you sure?";
inline constexpr const char *kNoCommunication = "Unable to communicate with drive!";
inline constexpr const char *kCantReadInputMaps = "Can't read input map status!";
inline constexpr const char *kCantRemapFaultReset = "Comm error - couldn't remap FaultReset!";

// The captions a command's button shows while it runs and for a second after it.
inline constexpr const char *kWorkingCaption = "<working>";
inline constexpr const char *kDoneCaption = "Ok!";
inline constexpr const char *kFailedCaption = "Failed!";

// The two codes of the input function Fault Reset: "Fault Reset (lo)" and "Fault Reset (hi)".
inline constexpr std::array<int, 2> kFaultResetCodes = {1, 32769};

// Runs a drive command (ExeCmd700); returns the caption its button shows afterwards: "Ok!" on
// success, "Failed!" otherwise.
std::string RunCommand(const std::string &command);

// NV load of a SERCOS-capable drive asks first (Yes and No); true when the load may go on.
bool ConfirmNvLoad(int driveModel, Messages &messages);

// Reads AxisAddr; on failure warns "Unable to communicate with drive!" and gives false.
bool CheckCommunication(Messages &messages);

// The connection monitor's polling, suspended for as long as this lives.
class PollingSuspended {
public:
    explicit PollingSuspended(Session &session);
    ~PollingSuspended();
    PollingSuspended(const PollingSuspended &) = delete;
    PollingSuspended &operator=(const PollingSuspended &) = delete;

private:
    Session &session_;
};

// The fault reset: for each input mapped to Fault Reset the user is asked whether to override
// that mapping for the reset (map := 0, FaultReset 1 then 0, map := the old value); without such
// an input, or when every question is answered No, FaultReset is pulsed 1 then 0. An input map
// that cannot be read ends the procedure without a pulse.
void ResetFault(Messages &messages);

// The question asked for input n (1..6).
std::string FaultResetQuestion(int input);

} // namespace tools700::online
