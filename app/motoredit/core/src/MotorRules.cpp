#include "tools700/motoredit/MotorRules.h"

#include "mdb700.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tools700::motoredit {

std::string CheckNewMotorName(std::string &name, const std::function<bool(const std::string &)> &inEditor)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!name.empty() && blank(static_cast<unsigned char>(name.back())))
        name.pop_back();
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), [&](char c) { return !blank(static_cast<unsigned char>(c)); }));
    for (char &c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    // The rules in the order they are checked; the first that fails gives its warning.
    struct Rule {
        const char *warning;
        std::function<bool(const std::string &)> holds;
    };
    const std::array<Rule, 3> rules{{
        {kNameNotAlphanumeric,
         [](const std::string &n) {
             return !n.empty() && n.size() <= static_cast<std::size_t>(kMaxNameLength) &&
                    std::all_of(n.begin(), n.end(), [](char c) {
                        return std::isalnum(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
                    });
         }},
        {kNameBuiltIn, [](const std::string &n) { return mdb_Exists(n.c_str()) == 0; }},
        {kNameInEditor, [&](const std::string &n) { return !inEditor(n); }},
    }};
    for (const Rule &rule : rules)
        if (!rule.holds(name))
            return rule.warning;
    return {};
}

namespace {

// linear, metric, type, Ke, Ke units, weight, mass units, pole variable, pole label, pole units,
// coil weight label, linear mass panel, metric inertia panel, English inertia panel, encoder
// resolution panel, resolver offered.
constexpr std::array<MotorLayout, 4> kLayouts{{
    {false, false, "Rotary", "RotaryKe", "V(0-peak)/krpm", "Inertia", "", "PoleCount", "Pole Count", "",
     false, false, false, true, false, true},
    {false, true, "Rotary", "RotaryKe", "V(0-peak)/rad/sec", "Inertia", "", "PoleCount", "Pole Count", "",
     false, false, true, false, false, true},
    {true, false, "Linear", "LinearKe", "V(0-peak)/in/sec", "CoilWeight", "lbs", "PoleSpacing", "Pole Spacing",
     "in", true, true, false, false, true, false},
    {true, true, "Linear", "LinearKe", "V(0-peak)/m/sec", "CoilWeight", "kg", "PoleSpacing", "Pole Spacing", "cm",
     true, true, false, false, true, false},
}};

constexpr std::array<ModeRules, 2> kModes{{
    {Mode::Browse, true, false, true, true, true, true, false, false, true,
     "Accept all changes and update the database", "Ignore all changes and exit without updating the database"},
    {Mode::Edit, false, true, false, false, false, false, true, true, false, "Accept changes to this motor",
     "Cancel changes to this motor"},
}};

} // namespace

const MotorLayout &LayoutFor(double motorType, double showMetric)
{
    const bool linear = motorType != 0;
    const bool metric = showMetric != 0;
    for (const MotorLayout &l : kLayouts)
        if (l.linear == linear && l.metric == metric)
            return l;
    return kLayouts[1];
}

OffsetPanels OffsetPanelsFor(double commSrc)
{
    const int src = static_cast<int>(commSrc);
    return {src == 0, src == 2};
}

const ModeRules &RulesFor(Mode mode) { return kModes[mode == Mode::Browse ? 0 : 1]; }

} // namespace tools700::motoredit
