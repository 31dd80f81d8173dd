#include "tools700/wizard/EditorTabs.h"

#include "tools700/common/NumberText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

namespace tools700 {

namespace {

using T = EditorTab;

// One row per operating mode: the tabs it adds, what it changes, and the tab it opens on.
struct ModeTabs {
    int mode;
    T tab1;
    std::optional<T> tab2;
    bool loopGainsDisabled;
    bool gainOffsetDisabled;
    std::optional<bool> velCmdShown;
    bool gearing;
    bool stepsPerRev;
    T active;
};
const ModeTabs kModeTabs[] = {
    // mode tabs                      Kvi/Kvp off  gain off  grpVelCmd    gearing steps  active
    {0, T::Torque, {}, true, false, {}, false, false, T::Torque},
    {1, T::Velocity, {}, false, false, false, false, false, T::Velocity},
    {2, T::Velocity, {}, false, true, true, false, false, T::Velocity},
    {3, T::Position, T::Predefined, false, false, {}, true, true, T::Position},
    {4, T::Position, T::Predefined, false, false, {}, true, false, T::Position},
    {5, T::Velocity, {}, false, false, false, false, false, T::Velocity},
    {6, T::Torque, {}, true, false, {}, false, false, T::Torque},
    {7, T::Predefined, {}, false, false, {}, false, false, T::Predefined},
};

constexpr unsigned Types(std::initializer_list<int> types)
{
    unsigned bits = 0;
    for (int t : types)
        bits |= 1u << t;
    return bits;
}

const std::array<MoveRow, kMoveRows> kMoveRowTable = {{
    {"pedtRunSpeed", "RunSpeed", nullptr, "Run Speed", "lblRunSpeedUnits", Types({1, 2, 3, 4, 5, 6})},
    {"pedtAccelRate", "AccelRate", nullptr, "Accel Rate", "lblAccelRateUnits", Types({1, 2, 3, 4, 5, 6})},
    {"pedtDecelRate", "DecelRate", nullptr, "Decel Rate", "lblDecelRateUnits", Types({1, 2, 3, 4, 5, 6})},
    {"pedtDistance", "Distance", nullptr, "Distance", "lblDistanceUnits", Types({2, 3, 5, 6})},
    {"pedtInPosLimit", nullptr, "InPosLimit", "\"In-Position\" limit", "lblInPosLimitUnits", Types({2, 3, 4, 5, 6})},
    {"pcmbHomeMode", "HomeMode", nullptr, "Homing Mode", nullptr, Types({4})},
    {"pcmbHomeDir", "HomeDir", nullptr, "Home Direction", nullptr, Types({4})},
    {"pedtDistOffset", "DistOffset", nullptr, "Distance Offset", "lblDistOffsetUnits", Types({4, 5, 6})},
    {"pcmbRegSelect", "RegSelect", nullptr, "Reg Select", nullptr, Types({4, 5, 6})},
    {"pcmbReg1Edge", nullptr, "Reg1ActiveEdge", "Reg1 Active Edge", nullptr, Types({4, 5, 6})},
    {"pcmbReg2Edge", nullptr, "Reg2ActiveEdge", "Reg2 Active Edge", nullptr, Types({4, 5, 6})},
}};

const char *const kGearingModes[] = {"Quadrature", "Step and Direction", "Count Up / Down",
                                     "Qundrature, when Gearing is on"};

const char *const kAroundEncoder = "Closes position and velocity loops around the encoder";
const struct {
    int commSrc;
    int remoteFB;
    FeedbackText result;
} kFeedback[] = {
    {0, 0, {"Closes position and velocity loops around the resolver", true}},
    {0, 2, {kAroundEncoder, false}},
    {0, 1, {"Closes position loop around the encoder and velocity loops around the resolver", false}},
    {1, 2, {kAroundEncoder, false}},
    {2, 2, {kAroundEncoder, false}},
};

} // namespace

TabLayout TabsForMode(int mode, bool positionModeSelect)
{
    TabLayout layout;
    for (T t : {T::Digital, T::Analog, T::Loop, T::Feedback})
        layout.shown[static_cast<int>(t)] = true;
    if (positionModeSelect)
        layout.shown[static_cast<int>(T::Predefined)] = true;
    for (const ModeTabs &row : kModeTabs) {
        if (row.mode != mode)
            continue;
        layout.shown[static_cast<int>(row.tab1)] = true;
        if (row.tab2)
            layout.shown[static_cast<int>(*row.tab2)] = true;
        layout.loopGainsEnabled = !row.loopGainsDisabled;
        layout.gainOffsetEnabled = !row.gainOffsetDisabled;
        layout.velCmdShown = row.velCmdShown;
        layout.gearingShown = row.gearing;
        layout.stepsPerRevShown = row.stepsPerRev;
        layout.active = row.active;
    }
    return layout;
}

const std::array<MoveRow, kMoveRows> &MoveRows() { return kMoveRowTable; }

std::string MoveVariable(int move, const char *suffix) { return "Move" + std::to_string(move) + suffix; }

bool MoveRowShown(const MoveRow &row, int moveType)
{
    return moveType >= 0 && moveType < 32 && (row.moveTypes & (1u << moveType)) != 0;
}

bool RegistrationEnabled(int moveType, double remoteFB) { return !(moveType == 4 && remoteFB == 0); }

const char *DistanceLabel(int moveType) { return moveType == 3 ? "Position" : "Distance"; }

MoveUnits MoveUnitTexts(const ValueSet &working)
{
    MoveUnits u;
    u.accelRate = UnitText("Move0AccelRate", &working);
    u.decelRate = u.accelRate;
    u.runSpeed = UnitText("Move0RunSpeed", &working);
    if (working.Get("RemoteFB") != 0)
        u.distance = "counts (1 rev = " + numtext::General(working.Get("EncIn") * 4) + " counts)";
    else
        u.distance = "counts (1 rev = 65536 counts)";
    const int encMode = TruncToInt(working.Get("EncMode"));
    u.gearingCaption = encMode >= 0 && encMode <= 3 ? std::string("Gearing Ratio -- ") + kGearingModes[encMode] : "?";
    u.dm1Gain = UnitText("DM1Gain", &working);
    u.dm2Gain = UnitText("DM2Gain", &working);
    return u;
}

FeedbackText FeedbackFor(int commSrc, int remoteFB)
{
    for (const auto &row : kFeedback)
        if (row.commSrc == commSrc && row.remoteFB == remoteFB)
            return row.result;
    return {"", false};
}

} // namespace tools700
