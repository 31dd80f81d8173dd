// The control-mode switch of a 740-family drive, apart from the main window: the drive taken from
// serial control to its SERCOS fieldbus or back, with the refusals, the question and the check of
// the drive's MfgLock afterwards. Runs on the main window's drive worker; its questions go through
// Messages.
#pragma once

#include <string>

namespace tools700 {

class Messages;

struct SwitchOutcome {
    enum class End {
        Refused,       // the drive is enabled or cannot be asked (a message said so)
        NotConfirmed,  // the user did not answer Yes
        ModeKept,      // the drive kept its control (an information box said so)
        Switched,
    };
    End end = End::Refused;
    bool switchOn = false;      // ModeKept, Switched: the switch's position (on = Serial Control)
    bool serialControl = false; // Switched: the new serial-control state
    std::string modePanel;      // Switched: the text of the status bar's mode panel
};

// The switch from the current state (`serialControl`). A link failure on the way ends it with an
// error carrying the status text; the writes made before stay in the drive.
SwitchOutcome SwitchControlMode(bool serialControl, Messages &messages);

} // namespace tools700
