// The main window's rules apart from its widgets: which of its entries may be used (the window
// they open is part of this build, and the connected drive allows it), and what a report of the
// connection monitor makes of the status bar, the control-mode switch of a 740-family drive and
// the entries the drive decides about. The main window shows what these say; nothing here asks
// the drive.
#pragma once

#include "tools700/config/DriveState.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace tools700 {

class Session;

// The entries of the main window that open a window or a workflow; a button and the menu entry of
// one action are one entry.
enum class MainEntry : std::size_t {
    NewConfiguration,
    Upload,
    EditFile,
    EditOnline,
    Oscilloscope,
    Diagnostics,
    CompareFile,
    EditMotorDatabase,
    UpgradeFirmware,
    TuningWizard,
    PortAxis,
    DrivesOnLine,
    Count
};

// What the connected drive allows of the entries that depend on it.
struct DriveAllowance {
    bool upload = true;    // not a 740-family drive under SERCOS control
    bool firmware = false; // a 740-family drive is connected
    bool tuning = true;    // the operating mode is not a torque mode
};

// One entry's state.
struct EntryState {
    bool built = false;   // the window it opens is registered in this run
    bool enabled = false; // built and allowed by the drive
    // Not built: the tool tip's reason ("Not available: … is not part of this build yet.").
    std::string notBuilt;
};

// What one status report changes in the main window. Fields without a value stay as they were.
struct StatusUpdate {
    bool connected = false;
    int driveModel = 0;             // 0 without a connection
    std::string drivePanel;         // the status bar's drive panel
    bool switchShown = false;       // the control-mode switch (a 740-family drive is connected)
    // A connected drive: whether the on-line window offers "unconfigure" (not a 740-family drive).
    std::optional<bool> userUnconfigureVisible;
    // A 740-family drive whose MfgLock could not be read: that read's link status. The mode panel,
    // the switch, the serial control and the upload and tuning allowances keep what they were.
    int modeReadStatus = 0;
    std::optional<std::string> modePanel; // the status bar's mode panel
    std::optional<bool> switchOn;         // on = Serial Control
    std::optional<bool> serialControl;
    std::optional<int> opMode; // where the operating mode was read
};

// The operating modes whose drive the tuning wizard may tune: any but the torque modes.
bool TuningAllowedIn(int opMode);

// The Exit entry asks whether to hand a 740-family drive under serial control back to SERCOS.
bool AskSercosBeforeExit(int driveModel, bool serialControl);

class MainWindowRules {
public:
    // A report of the connection monitor: its text ("No connection" when the drive did not
    // answer) and what it read besides. Updates the allowances.
    StatusUpdate Report(const std::string &text, const StatusReading &reading);

    // The entry's state given the windows registered in `session` and the allowances.
    EntryState Entry(MainEntry entry, const Session &session) const;

    const DriveAllowance &Allowance() const { return allowance_; }
    int OpMode() const { return opMode_; }

private:
    DriveAllowance allowance_;
    int opMode_ = 0;
};

} // namespace tools700
