#include "tools700/MainWindowRules.h"

#include "tools700/Session.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

#include <iterator>

namespace tools700 {

namespace {

// What an entry opens: a registered window (or two), or the editor or the Compare window, which
// are registered apart from the windows.
enum class Opens { Window, TwoWindows, Editor, Comparer };
// Which of the drive's allowances an entry needs besides.
enum class Needs { Nothing, Upload, Firmware, Tuning };

struct EntryRule {
    MainEntry entry;
    Opens opens;
    Window window;
    Window second;         // TwoWindows: the other window it needs
    const char *missing;   // the tool tip's name of what is not built; null: the window's title
    Needs needs;
};

constexpr Window kNone = Window::Count;

// One row per entry, in MainEntry's order.
constexpr EntryRule kEntryRules[] = {
    {MainEntry::NewConfiguration, Opens::Window, Window::NewConfiguration, kNone, nullptr, Needs::Nothing},
    {MainEntry::Upload, Opens::Editor, kNone, kNone, "the configuration editor", Needs::Upload},
    {MainEntry::EditFile, Opens::Editor, kNone, kNone, "the configuration editor", Needs::Nothing},
    {MainEntry::EditOnline, Opens::Window, Window::OnlineDrive, kNone, nullptr, Needs::Nothing},
    {MainEntry::Oscilloscope, Opens::Window, Window::Oscilloscope, kNone, nullptr, Needs::Nothing},
    {MainEntry::Diagnostics, Opens::Window, Window::Diagnostics, kNone, nullptr, Needs::Nothing},
    {MainEntry::CompareFile, Opens::Comparer, kNone, kNone, "the Compare window", Needs::Nothing},
    {MainEntry::EditMotorDatabase, Opens::Window, Window::MotorDatabase, kNone, nullptr, Needs::Nothing},
    {MainEntry::UpgradeFirmware, Opens::Window, Window::FirmwareUpgrade, kNone, nullptr, Needs::Firmware},
    {MainEntry::TuningWizard, Opens::TwoWindows, Window::TuningOffline, Window::TuningOnline, nullptr, Needs::Tuning},
    {MainEntry::PortAxis, Opens::Window, Window::PortAxis, kNone, nullptr, Needs::Nothing},
    {MainEntry::DrivesOnLine, Opens::Window, Window::DrivesOnLine, kNone, nullptr, Needs::Nothing},
};
static_assert(std::size(kEntryRules) == static_cast<std::size_t>(MainEntry::Count));

constexpr bool InEntryOrder()
{
    for (std::size_t i = 0; i < std::size(kEntryRules); ++i)
        if (kEntryRules[i].entry != static_cast<MainEntry>(i))
            return false;
    return true;
}
static_assert(InEntryOrder());

bool Built(const EntryRule &rule, const Session &session)
{
    switch (rule.opens) {
    case Opens::Window:
        return session.Available(rule.window);
    case Opens::TwoWindows:
        return session.Available(rule.window) && session.Available(rule.second);
    case Opens::Editor:
        return session.EditorAvailable();
    case Opens::Comparer:
        return session.ComparerAvailable();
    }
    return false;
}

bool Allowed(Needs needs, const DriveAllowance &allowance)
{
    switch (needs) {
    case Needs::Nothing:
        return true;
    case Needs::Upload:
        return allowance.upload;
    case Needs::Firmware:
        return allowance.firmware;
    case Needs::Tuning:
        return allowance.tuning;
    }
    return false;
}

} // namespace

bool TuningAllowedIn(int opMode) { return opMode != 0 && opMode != 6; }

bool AskSercosBeforeExit(int driveModel, bool serialControl) { return Is740Family(driveModel) && serialControl; }

StatusUpdate MainWindowRules::Report(const std::string &text, const StatusReading &reading)
{
    StatusUpdate out;
    if (text == "No connection") {
        // The upload and tuning allowances keep what the last drive left.
        allowance_.firmware = false;
        out.drivePanel = "Drive";
        out.modePanel = "Mode";
        return out;
    }
    out.connected = true;
    out.driveModel = reading.model;
    out.drivePanel = "Drive: " + ModelText(reading.model);
    if (!Is740Family(reading.model)) {
        allowance_.firmware = false;
        out.userUnconfigureVisible = true;
        opMode_ = reading.opMode;
        out.opMode = opMode_;
        out.modePanel = EnumText("OpMode730", opMode_);
        allowance_.tuning = TuningAllowedIn(opMode_);
        allowance_.upload = true;
        return out;
    }
    out.switchShown = true;
    allowance_.firmware = true;
    out.userUnconfigureVisible = false;
    if (reading.mfgLockStatus != 0) {
        out.modeReadStatus = reading.mfgLockStatus;
        return out;
    }
    const bool serial = reading.mfgLock != 0;
    out.modePanel = serial ? "Serial Control Mode" : "SERCOS Control Mode";
    out.switchOn = serial;
    out.serialControl = serial;
    if (serial) {
        opMode_ = reading.opMode;
        out.opMode = opMode_;
        allowance_.tuning = TuningAllowedIn(opMode_);
    } else {
        allowance_.tuning = false;
    }
    allowance_.upload = serial;
    return out;
}

EntryState MainWindowRules::Entry(MainEntry entry, const Session &session) const
{
    const EntryRule &rule = kEntryRules[static_cast<std::size_t>(entry)];
    EntryState state;
    state.built = Built(rule, session);
    state.enabled = state.built && Allowed(rule.needs, allowance_);
    if (!state.built)
        state.notBuilt = "Not available: " + std::string(rule.missing ? rule.missing : WindowTitle(rule.window)) +
                         " is not part of this build yet.";
    return state;
}

} // namespace tools700
