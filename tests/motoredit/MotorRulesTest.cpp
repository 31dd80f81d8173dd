// The editor's rules: names of new motors, the layout of each motor type and system of units,
// the offset panels and the two modes.
#include "mdb700.h"
#include "tools700/motoredit/MotorRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace tools700::motoredit;

std::string Check(std::string &name, std::set<std::string> held = {})
{
    return CheckNewMotorName(name, [&](const std::string &n) { return held.count(n) > 0; });
}

TEST(MotorRules, NamesAreTrimmedUpperCasedAndChecked)
{
    std::string name = "  abc12 ";
    EXPECT_EQ(Check(name), "");
    EXPECT_EQ(name, "ABC12");

    for (std::string bad : {"", "   ", "AB-12", "A B", "A.1", "NINECHARS"}) {
        std::string typed = bad;
        EXPECT_EQ(Check(typed), kNameNotAlphanumeric) << bad;
    }

    char builtin[9] = {};
    ASSERT_NE(mdb_FirstName(builtin), nullptr);
    std::string lower = builtin;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Check(lower), kNameBuiltIn) << "built-in names are found in any letter case";

    std::string dup = "mine";
    EXPECT_EQ(Check(dup, {"MINE"}), kNameInEditor);
}

TEST(MotorRules, LayoutFollowsTypeAndUnits)
{
    const MotorLayout &rotaryMetric = LayoutFor(0, 1);
    EXPECT_STREQ(rotaryMetric.typeText, "Rotary");
    EXPECT_STREQ(rotaryMetric.keVar, "RotaryKe");
    EXPECT_STREQ(rotaryMetric.keUnits, "V(0-peak)/rad/sec");
    EXPECT_STREQ(rotaryMetric.weightVar, "Inertia");
    EXPECT_STREQ(rotaryMetric.poleVar, "PoleCount");
    EXPECT_STREQ(rotaryMetric.poleLabel, "Pole Count");
    EXPECT_TRUE(rotaryMetric.inertiaMetricPanel);
    EXPECT_FALSE(rotaryMetric.inertiaEnglishPanel);
    EXPECT_FALSE(rotaryMetric.encResPanel);
    EXPECT_TRUE(rotaryMetric.resolverOffered);

    EXPECT_STREQ(LayoutFor(0, 0).keUnits, "V(0-peak)/krpm");
    EXPECT_TRUE(LayoutFor(0, 0).inertiaEnglishPanel);

    const MotorLayout &linearEnglish = LayoutFor(1, 0);
    EXPECT_STREQ(linearEnglish.typeText, "Linear");
    EXPECT_STREQ(linearEnglish.keVar, "LinearKe");
    EXPECT_STREQ(linearEnglish.keUnits, "V(0-peak)/in/sec");
    EXPECT_STREQ(linearEnglish.weightVar, "CoilWeight");
    EXPECT_STREQ(linearEnglish.massUnits, "lbs");
    EXPECT_STREQ(linearEnglish.poleVar, "PoleSpacing");
    EXPECT_STREQ(linearEnglish.poleUnits, "in");
    EXPECT_TRUE(linearEnglish.encResPanel);
    EXPECT_TRUE(linearEnglish.linearMassPanel);
    EXPECT_FALSE(linearEnglish.inertiaMetricPanel || linearEnglish.inertiaEnglishPanel);
    EXPECT_FALSE(linearEnglish.resolverOffered);

    const MotorLayout &linearMetric = LayoutFor(1, 1);
    EXPECT_STREQ(linearMetric.keUnits, "V(0-peak)/m/sec");
    EXPECT_STREQ(linearMetric.massUnits, "kg");
    EXPECT_STREQ(linearMetric.poleUnits, "cm");
}

TEST(MotorRules, OffsetPanelsAndModes)
{
    EXPECT_TRUE(OffsetPanelsFor(0).commOffset);
    EXPECT_FALSE(OffsetPanelsFor(0).hallOffset);
    EXPECT_FALSE(OffsetPanelsFor(1).commOffset || OffsetPanelsFor(1).hallOffset);
    EXPECT_TRUE(OffsetPanelsFor(2).hallOffset);
    EXPECT_FALSE(OffsetPanelsFor(2).commOffset);

    const ModeRules &browse = RulesFor(Mode::Browse);
    EXPECT_TRUE(browse.listEnabled && browse.exitVisible && browse.newVisible);
    EXPECT_FALSE(browse.parametersEnabled || browse.okVisible || browse.cancelVisible);
    EXPECT_STREQ(browse.exitHint, "Accept all changes and update the database");
    const ModeRules &edit = RulesFor(Mode::Edit);
    EXPECT_TRUE(edit.parametersEnabled && edit.okVisible && edit.cancelVisible);
    EXPECT_FALSE(edit.listEnabled || edit.exitVisible || edit.newVisible || edit.deleteVisible);
    EXPECT_STREQ(edit.cancelHint, "Cancel changes to this motor");
}

} // namespace
