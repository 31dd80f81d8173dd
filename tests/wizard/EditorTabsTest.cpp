// The editor's tab rules: tabs and controls per operating mode, move rows per move type, the
// unit labels that follow the configuration, and the feedback table.
#include "tools700/config/Cfg.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/wizard/EditorTabs.h"
#include "tools700/wizard/WizardRules.h"

#include <gtest/gtest.h>

#include <map>

using namespace tools700;
using T = EditorTab;

namespace {

std::vector<T> Shown(const TabLayout &l)
{
    std::vector<T> out;
    for (int t = 0; t < kEditorTabs; ++t)
        if (l.shown[t])
            out.push_back(static_cast<T>(t));
    return out;
}

TEST(EditorTabs, EachModeShowsItsTabsAndControls)
{
    const std::vector<T> always{T::Digital, T::Analog, T::Loop, T::Feedback};
    auto with = [&](std::initializer_list<T> extra) {
        std::vector<T> v = always;
        v.insert(v.end(), extra);
        std::sort(v.begin(), v.end());
        return v;
    };
    for (int mode : {0, 6}) {
        const TabLayout l = TabsForMode(mode, false);
        EXPECT_EQ(Shown(l), with({T::Torque})) << mode;
        EXPECT_FALSE(l.loopGainsEnabled);
        EXPECT_EQ(l.active, T::Torque);
        EXPECT_FALSE(l.velCmdShown.has_value());
    }
    for (int mode : {1, 5}) {
        const TabLayout l = TabsForMode(mode, false);
        EXPECT_EQ(Shown(l), with({T::Velocity})) << mode;
        EXPECT_TRUE(l.loopGainsEnabled);
        EXPECT_TRUE(l.gainOffsetEnabled);
        EXPECT_EQ(l.velCmdShown, false);
        EXPECT_EQ(l.active, T::Velocity);
    }
    const TabLayout serial = TabsForMode(2, false);
    EXPECT_EQ(Shown(serial), with({T::Velocity}));
    EXPECT_FALSE(serial.gainOffsetEnabled);
    EXPECT_EQ(serial.velCmdShown, true);
    const TabLayout steps = TabsForMode(3, false);
    EXPECT_EQ(Shown(steps), with({T::Position, T::Predefined}));
    EXPECT_TRUE(steps.gearingShown);
    EXPECT_TRUE(steps.stepsPerRevShown);
    EXPECT_EQ(steps.active, T::Position);
    const TabLayout gearing = TabsForMode(4, false);
    EXPECT_TRUE(gearing.gearingShown);
    EXPECT_FALSE(gearing.stepsPerRevShown);
    const TabLayout moves = TabsForMode(7, false);
    EXPECT_EQ(Shown(moves), with({T::Predefined}));
    EXPECT_EQ(moves.active, T::Predefined);
    // No mode: only the tabs every mode has; nothing else changes.
    const TabLayout none = TabsForMode(-1, false);
    EXPECT_EQ(Shown(none), always);
    EXPECT_FALSE(none.active.has_value());
    EXPECT_FALSE(none.gearingShown);
    // The second position tab is never shown.
    for (int mode = -1; mode <= 8; ++mode)
        EXPECT_FALSE(TabsForMode(mode, true).Shown(T::Position2));
}

TEST(EditorTabs, PositionModeSelectOnAnInputShowsPredefinedMovesInAnyMode)
{
    for (int mode : {-1, 0, 1, 2, 5, 6})
        EXPECT_TRUE(TabsForMode(mode, true).Shown(T::Predefined)) << mode;
    EXPECT_FALSE(TabsForMode(1, false).Shown(T::Predefined));
}

TEST(EditorTabs, MoveRowsFollowTheMoveType)
{
    std::map<std::string, const MoveRow *> rows;
    for (const MoveRow &r : MoveRows())
        rows[r.control] = &r;
    auto shownFor = [&](int type) {
        std::vector<std::string> out;
        for (const MoveRow &r : MoveRows())
            if (MoveRowShown(r, type))
                out.emplace_back(r.control);
        return out;
    };
    EXPECT_TRUE(shownFor(0).empty()); // Hold Position: only the move type
    EXPECT_EQ(shownFor(1), (std::vector<std::string>{"pedtRunSpeed", "pedtAccelRate", "pedtDecelRate"}));
    EXPECT_EQ(shownFor(3), (std::vector<std::string>{"pedtRunSpeed", "pedtAccelRate", "pedtDecelRate", "pedtDistance",
                                                     "pedtInPosLimit"}));
    EXPECT_EQ(shownFor(4), (std::vector<std::string>{"pedtRunSpeed", "pedtAccelRate", "pedtDecelRate",
                                                     "pedtInPosLimit", "pcmbHomeMode", "pcmbHomeDir", "pedtDistOffset",
                                                     "pcmbRegSelect", "pcmbReg1Edge", "pcmbReg2Edge"}));
    EXPECT_EQ(shownFor(6).size(), 9u);
    EXPECT_TRUE(shownFor(7).empty());
    EXPECT_STREQ(DistanceLabel(3), "Position");
    EXPECT_STREQ(DistanceLabel(2), "Distance");
    EXPECT_FALSE(RegistrationEnabled(4, 0));
    EXPECT_TRUE(RegistrationEnabled(4, 1));
    EXPECT_TRUE(RegistrationEnabled(5, 0));
    EXPECT_EQ(MoveVariable(3, "RunSpeed"), "Move3RunSpeed");
    EXPECT_STREQ(rows["pedtInPosLimit"]->variable, "InPosLimit");
    EXPECT_STREQ(rows["pedtInPosLimit"]->label, "\"In-Position\" limit");
}

TEST(EditorTabs, UnitLabelsFollowTheConfiguration)
{
    Cfg cfg;
    cfg.Set("RemoteFB", 0);
    cfg.Set("EncMode", 1);
    MoveUnits u = MoveUnitTexts(cfg);
    EXPECT_EQ(u.distance, "counts (1 rev = 65536 counts)");
    EXPECT_EQ(u.gearingCaption, "Gearing Ratio -- Step and Direction");
    EXPECT_EQ(u.accelRate, u.decelRate);
    EXPECT_FALSE(u.accelRate.empty());
    cfg.Set("RemoteFB", 2);
    cfg.Set("EncIn", 2000);
    cfg.Set("EncMode", 3);
    u = MoveUnitTexts(cfg);
    EXPECT_EQ(u.distance, "counts (1 rev = 8000 counts)");
    EXPECT_EQ(u.gearingCaption, "Gearing Ratio -- Qundrature, when Gearing is on");
    cfg.Set("EncMode", 5);
    EXPECT_EQ(MoveUnitTexts(cfg).gearingCaption, "?");
    cfg.Set("EncMode", 0);
    EXPECT_EQ(MoveUnitTexts(cfg).gearingCaption, "Gearing Ratio -- Quadrature");
    // The gain of an analog output follows the function it shows.
    Cfg a, b;
    a.Set("DM1Map", 0);
    b.Set("DM1Map", 1);
    EXPECT_NE(MoveUnitTexts(a).dm1Gain, MoveUnitTexts(b).dm1Gain);
}

TEST(EditorTabs, FeedbackTable)
{
    EXPECT_STREQ(FeedbackFor(0, 0).text, "Closes position and velocity loops around the resolver");
    EXPECT_TRUE(FeedbackFor(0, 0).emulatedEncoder);
    EXPECT_STREQ(FeedbackFor(0, 1).text,
                 "Closes position loop around the encoder and velocity loops around the resolver");
    for (auto [c, r] : {std::pair{0, 2}, std::pair{1, 2}, std::pair{2, 2}}) {
        EXPECT_STREQ(FeedbackFor(c, r).text, "Closes position and velocity loops around the encoder");
        EXPECT_FALSE(FeedbackFor(c, r).emulatedEncoder);
    }
    for (auto [c, r] : {std::pair{1, 0}, std::pair{2, 1}, std::pair{3, 2}}) {
        EXPECT_STREQ(FeedbackFor(c, r).text, "");
        EXPECT_FALSE(FeedbackFor(c, r).emulatedEncoder);
    }
}

TEST(WizardRules, DriveTextsFamiliesAndBusClasses)
{
    for (const char *d : {"SV742", "SV743", "SV744", "SVE743", "SVE745"})
        EXPECT_TRUE(Is740DriveText(d)) << d;
    for (const char *d : {"SV732", "SV733", "SV734", "SVE733", "SVE735", "", "sv743"})
        EXPECT_FALSE(Is740DriveText(d)) << d;
    for (const char *d : {"SVE733", "SVE735", "SVE743", "SVE745"})
        EXPECT_EQ(BusClassOf(d), 640) << d;
    for (const char *d : {"SV733", "SV743", ""})
        EXPECT_EQ(BusClassOf(d), 320) << d;
    EXPECT_STREQ(ModeEnumeration("SV743"), "OpMode740");
    EXPECT_STREQ(ModeEnumeration("XYZ"), "OpMode730");
    EXPECT_EQ(DigitalIoVariables(true)[0], "InputMap1");
    EXPECT_EQ(DigitalIoVariables(true)[9], "OutputMap4");
    EXPECT_EQ(DigitalIoVariables(false)[5], "InpMap6");
    EXPECT_EQ(DigitalIoVariables(false)[6], "OutMap1");
    EXPECT_STREQ(VelocityCommandVariable(true), "VelCmd2");
    EXPECT_EQ(DriveModelNames().size(), 10u);
}

TEST(WizardRules, FieldbusDrivesOfferOnlyMotorsForTheirBusVoltage)
{
    const std::vector<std::string> all = MotorNames(false, 320);
    const std::vector<std::string> high = MotorNames(false, 640);
    EXPECT_GE(all.size(), 232u);
    EXPECT_LT(high.size(), all.size());
    EXPECT_FALSE(high.empty());
    EXPECT_EQ(MotorNames(true, 640).size(), all.size());
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const std::string &a, const std::string &b) { return CompareNames(a, b) < 0; }));
    EXPECT_TRUE(MotorOffered(false, 640, 640));
    EXPECT_FALSE(MotorOffered(false, 640, 639.9));
    EXPECT_TRUE(MotorOffered(true, 640, 0));
}

TEST(WizardRules, PackedMotorNames)
{
    Cfg cfg;
    cfg.Set("Motor1", PackMotorName("ABCDEFGH", 0));
    cfg.Set("Motor2", PackMotorName("ABCDEFGH", 1));
    EXPECT_EQ(PackedMotorName(cfg), "ABCDEFGH");
    cfg.Set("Motor1", PackMotorName("XY1", 0));
    cfg.Set("Motor2", 0);
    EXPECT_EQ(PackedMotorName(cfg), "XY1");
    cfg.Set("Motor1", 0);
    EXPECT_EQ(PackedMotorName(cfg), "");
}

TEST(WizardRules, FirstPageChoicesInTheirOrder)
{
    int focus = -1;
    EXPECT_EQ(ConfigurationWizard::MissingChoice("", "", "", focus), "You must select a drive type!");
    EXPECT_EQ(focus, 0);
    EXPECT_EQ(ConfigurationWizard::MissingChoice("SV733", "", "", focus), "You must select a motor!");
    EXPECT_EQ(focus, 1);
    EXPECT_EQ(ConfigurationWizard::MissingChoice("SV733", "M", "", focus), "You must select a mode of operation!");
    EXPECT_EQ(focus, 2);
    EXPECT_EQ(ConfigurationWizard::MissingChoice("SV733", "M", "X", focus), "");
}

} // namespace
