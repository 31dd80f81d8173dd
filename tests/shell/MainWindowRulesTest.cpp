// The main window's rules without its widgets: which entries a technician may use as windows are
// built and drives come and go on the line, and what each status report shows of the drive.
#include "tools700/MainWindowRules.h"

#include "tools700/Session.h"
#include "tools700/dictionary/Enums.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tools700;

namespace {

constexpr MainEntry kEveryEntry[] = {
    MainEntry::NewConfiguration, MainEntry::Upload,          MainEntry::EditFile,          MainEntry::EditOnline,
    MainEntry::Oscilloscope,     MainEntry::Diagnostics,     MainEntry::CompareFile,       MainEntry::EditMotorDatabase,
    MainEntry::UpgradeFirmware,  MainEntry::TuningWizard,    MainEntry::PortAxis,          MainEntry::DrivesOnLine,
};

void RegisterEveryWindow(Session &session)
{
    for (std::size_t w = 0; w < static_cast<std::size_t>(Window::Count); ++w)
        session.Register(static_cast<Window>(w), [] {});
    session.RegisterEditor([](int, Cfg &, const std::string &) {});
    session.RegisterComparer([](Cfg *, const std::string &) { return 0; });
}

StatusReading Reading(int model, double mfgLock = 0, int opMode = 0, int mfgLockStatus = 0)
{
    StatusReading r;
    r.connected = true;
    r.model = model;
    r.mfgLock = mfgLock;
    r.opMode = opMode;
    r.mfgLockStatus = mfgLockStatus;
    return r;
}

} // namespace

TEST(MainWindowEntries, AnEntryWhoseWindowIsNotBuiltSaysWhichAndOneTheDriveForbidsSaysNothing)
{
    Session session;
    MainWindowRules rules;
    for (MainEntry entry : kEveryEntry) {
        const EntryState state = rules.Entry(entry, session);
        EXPECT_FALSE(state.built);
        EXPECT_FALSE(state.enabled);
        EXPECT_TRUE(state.notBuilt.starts_with("Not available: ")) << state.notBuilt;
        EXPECT_TRUE(state.notBuilt.ends_with(" is not part of this build yet.")) << state.notBuilt;
    }
    EXPECT_EQ(rules.Entry(MainEntry::Oscilloscope, session).notBuilt,
              "Not available: the oscilloscope is not part of this build yet.");
    EXPECT_EQ(rules.Entry(MainEntry::Upload, session).notBuilt,
              "Not available: the configuration editor is not part of this build yet.");
    EXPECT_EQ(rules.Entry(MainEntry::CompareFile, session).notBuilt,
              "Not available: the Compare window is not part of this build yet.");

    // Everything built, no drive seen yet: only the firmware upgrade waits for a 740-family drive,
    // and its tool tip does not claim it is missing from the build.
    RegisterEveryWindow(session);
    for (MainEntry entry : kEveryEntry) {
        const EntryState state = rules.Entry(entry, session);
        EXPECT_TRUE(state.built);
        EXPECT_TRUE(state.notBuilt.empty()) << state.notBuilt;
        EXPECT_EQ(state.enabled, entry != MainEntry::UpgradeFirmware) << static_cast<int>(entry);
    }
}

TEST(MainWindowEntries, EachEntryWaitsForItsOwnWindowAndTheTuningWizardForBothOfItsWindows)
{
    Session session;
    MainWindowRules rules;
    rules.Report("Status: Axis 1", Reading(1745, 1, 1)); // a 740-family drive under serial control
    const std::vector<std::pair<Window, MainEntry>> opens = {
        {Window::NewConfiguration, MainEntry::NewConfiguration}, {Window::OnlineDrive, MainEntry::EditOnline},
        {Window::Oscilloscope, MainEntry::Oscilloscope},         {Window::Diagnostics, MainEntry::Diagnostics},
        {Window::MotorDatabase, MainEntry::EditMotorDatabase},   {Window::FirmwareUpgrade, MainEntry::UpgradeFirmware},
        {Window::PortAxis, MainEntry::PortAxis},                 {Window::DrivesOnLine, MainEntry::DrivesOnLine},
    };
    for (const auto &[window, entry] : opens) {
        EXPECT_FALSE(rules.Entry(entry, session).enabled);
        session.Register(window, [] {});
        EXPECT_TRUE(rules.Entry(entry, session).enabled) << WindowTitle(window);
    }
    // Windows that none of these open leave the editor's and the Compare window's entries alone.
    EXPECT_FALSE(rules.Entry(MainEntry::Upload, session).built);
    EXPECT_FALSE(rules.Entry(MainEntry::EditFile, session).built);
    EXPECT_FALSE(rules.Entry(MainEntry::CompareFile, session).built);
    session.RegisterEditor([](int, Cfg &, const std::string &) {});
    EXPECT_TRUE(rules.Entry(MainEntry::Upload, session).enabled);
    EXPECT_TRUE(rules.Entry(MainEntry::EditFile, session).enabled);
    EXPECT_FALSE(rules.Entry(MainEntry::CompareFile, session).built);
    session.RegisterComparer([](Cfg *, const std::string &) { return 0; });
    EXPECT_TRUE(rules.Entry(MainEntry::CompareFile, session).enabled);

    EXPECT_EQ(rules.Entry(MainEntry::TuningWizard, session).notBuilt,
              "Not available: the tuning wizard is not part of this build yet.");
    session.Register(Window::TuningOnline, [] {});
    EXPECT_FALSE(rules.Entry(MainEntry::TuningWizard, session).built) << "the off-line wizard is missing";
    session.Register(Window::TuningOffline, [] {});
    EXPECT_TRUE(rules.Entry(MainEntry::TuningWizard, session).enabled);
}

TEST(MainWindowStatus, DrivesComingAndGoingOnTheLine)
{
    Session session;
    RegisterEveryWindow(session);
    MainWindowRules rules;
    auto enabled = [&](MainEntry entry) { return rules.Entry(entry, session).enabled; };

    // A 740-family drive under SERCOS control: no upload, no tuning, but its firmware.
    StatusUpdate u = rules.Report("Status: Axis 1", Reading(743, 0, 1));
    EXPECT_TRUE(u.connected);
    EXPECT_EQ(u.driveModel, 743);
    EXPECT_EQ(u.drivePanel, "Drive: SV743");
    EXPECT_EQ(u.modePanel, "SERCOS Control Mode");
    EXPECT_TRUE(u.switchShown);
    EXPECT_EQ(u.switchOn, false);
    EXPECT_EQ(u.serialControl, false);
    EXPECT_EQ(u.userUnconfigureVisible, false);
    EXPECT_FALSE(u.opMode) << "the operating mode is not read under SERCOS control";
    EXPECT_FALSE(enabled(MainEntry::Upload));
    EXPECT_FALSE(enabled(MainEntry::TuningWizard));
    EXPECT_TRUE(enabled(MainEntry::UpgradeFirmware));
    EXPECT_TRUE(enabled(MainEntry::EditFile)) << "files are edited whatever the drive";

    // Handed to serial control, in a torque mode: upload again, still no tuning.
    u = rules.Report("Status: Axis 1", Reading(743, 584219637, 6));
    EXPECT_EQ(u.modePanel, "Serial Control Mode");
    EXPECT_EQ(u.switchOn, true);
    EXPECT_EQ(u.serialControl, true);
    EXPECT_EQ(u.opMode, 6);
    EXPECT_TRUE(enabled(MainEntry::Upload));
    EXPECT_FALSE(enabled(MainEntry::TuningWizard));
    u = rules.Report("Status: Axis 1", Reading(743, 584219637, 2));
    EXPECT_TRUE(enabled(MainEntry::TuningWizard));
    EXPECT_EQ(rules.OpMode(), 2);

    // Its MfgLock cannot be read: the switch stays shown, the mode and what it allows stay as
    // they were, and the window is told the link status to report.
    u = rules.Report("Status: Axis 1", Reading(743, 0, 0, 68));
    EXPECT_EQ(u.modeReadStatus, 68);
    EXPECT_TRUE(u.switchShown);
    EXPECT_FALSE(u.modePanel);
    EXPECT_FALSE(u.switchOn);
    EXPECT_FALSE(u.serialControl);
    EXPECT_TRUE(enabled(MainEntry::Upload));
    EXPECT_TRUE(enabled(MainEntry::TuningWizard));
    EXPECT_TRUE(enabled(MainEntry::UpgradeFirmware));

    // The cable is pulled: the firmware upgrade goes, the rest stays as the last drive left it.
    u = rules.Report("No connection", StatusReading{});
    EXPECT_FALSE(u.connected);
    EXPECT_EQ(u.driveModel, 0);
    EXPECT_EQ(u.drivePanel, "Drive");
    EXPECT_EQ(u.modePanel, "Mode");
    EXPECT_FALSE(u.switchShown);
    EXPECT_FALSE(u.userUnconfigureVisible) << "the on-line window is not told anything without a drive";
    EXPECT_FALSE(u.serialControl);
    EXPECT_FALSE(enabled(MainEntry::UpgradeFirmware));
    EXPECT_TRUE(enabled(MainEntry::Upload));

    // A 730-family drive in an analog velocity mode after a 740 under SERCOS control.
    rules.Report("Status: Axis 1", Reading(743, 0, 1));
    u = rules.Report("Status: Axis 2", Reading(733, 0, 1));
    EXPECT_EQ(u.drivePanel, "Drive: SV733");
    EXPECT_EQ(u.modePanel, EnumText("OpMode730", 1));
    EXPECT_FALSE(u.switchShown);
    EXPECT_FALSE(u.switchOn);
    EXPECT_FALSE(u.serialControl) << "a 730's report leaves the kept serial control alone";
    EXPECT_EQ(u.userUnconfigureVisible, true);
    EXPECT_TRUE(enabled(MainEntry::Upload));
    EXPECT_TRUE(enabled(MainEntry::TuningWizard));
    EXPECT_FALSE(enabled(MainEntry::UpgradeFirmware));

    // A drive whose model could not be read counts as connected, outside the 740 family.
    u = rules.Report("CommError?", Reading(0, 0, 3));
    EXPECT_TRUE(u.connected);
    EXPECT_EQ(u.drivePanel, "Drive: SV0");
    EXPECT_FALSE(u.switchShown);
}

TEST(MainWindowStatus, TuningIsRefusedInExactlyTheTorqueModes)
{
    for (int mode = 0; mode <= 7; ++mode) {
        const std::string name = EnumText("OpMode730", mode);
        EXPECT_EQ(TuningAllowedIn(mode), !name.starts_with("Torque Mode")) << name;
    }
}

TEST(MainWindowExit, OnlyA740UnderSerialControlIsOfferedBackToSercos)
{
    EXPECT_TRUE(AskSercosBeforeExit(1745, true));
    EXPECT_TRUE(AskSercosBeforeExit(742, true));
    EXPECT_FALSE(AskSercosBeforeExit(742, false));
    // A serial-control flag left from an earlier 740 does not make a 730 or no drive ask.
    EXPECT_FALSE(AskSercosBeforeExit(733, true));
    EXPECT_FALSE(AskSercosBeforeExit(0, true));
}
