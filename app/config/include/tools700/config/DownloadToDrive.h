// "Download To Drive" as a whole, for every window and command that writes a configuration into
// the drive at the link's current axis: the drive must answer (else the question that offers the
// port and axis dialog, as often as the user wants), must not be under SERCOS control, must not
// be enabled; then the transfer of ValueSet::Download (model match, Enable 0, the variables in
// the drive's order with a question for each refusal, TableGen, Enable 1), "Unable to write to
// drive -- download aborted" when it stops, and the question whether the drive saves it in its
// non-volatile memory. A restricted download goes the same way but writes only the variables
// named.
#pragma once

#include "tools700/config/ValueSet.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tools700 {

class Messages;
class Session;

struct DownloadOptions {
    // Only these variables (any letter case) are written; every variable of the drive's family
    // when empty. A given but empty list writes nothing and asks nothing.
    std::optional<std::vector<std::string>> only;
    // Reads the control mode of a 740-family drive (MfgLock) before anything is written and
    // refuses a drive under SERCOS control. Without it the session's view of the connected drive
    // decides, without an exchange: the save window's download keeps its requests as they are.
    bool readControlMode = false;
    // The session's view of the drive (a 740-family drive under SERCOS control), taken beforehand
    // on the windows' thread by a caller that runs the download on a worker; without it the
    // session is read here.
    std::optional<bool> underSercos;
    // Called when the user asks to change the communication setup; true tries the drive again,
    // false ends the download. By default the session opens the port and axis dialog.
    std::function<bool()> changeCommunication;
    // The answer to the non-volatile save question, given beforehand: the question is not asked.
    std::optional<bool> saveToNv;
    // Told when the progress bar appears (true) and goes (false, also when the download ends
    // early or with an error).
    std::function<void(bool)> showProgress;
};

struct DownloadOutcome {
    bool downloaded = false; // the transfer ran to its end
    bool savedToNv = false;  // and the drive saved it in its non-volatile memory
};

// The refusal of a drive under SERCOS control.
extern const char *const kSercosRefusal;

DownloadOutcome DownloadToDrive(Session &session, Messages &messages, const ValueSet &values,
                                const DownloadOptions &options = {}, const ProgressFn &progress = {});

} // namespace tools700
