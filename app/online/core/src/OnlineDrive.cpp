#include "tools700/online/OnlineDrive.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/online/DriveTexts.h"

#include <algorithm>

namespace tools700::online {

const std::array<const char *, kBatchSize - kRows> kFixedBatchNames = {
    "Inputs",  "Outputs", "Model",   "Motor1",  "Motor2",  "DriveStatus", "FaultCode",
    "ExtFault", "InpMap1", "InpMap2", "InpMap3", "InpMap4", "InpMap5",     "InpMap6",
    "OutMap1", "OutMap2", "OutMap3", "OutMap4", "BlkType", "EncMode",
};

const std::array<LampRule, kLamps> kLampRules = {{
    {"Inp1", "InpMap1", "InputMap1", kInputsAt, 0},
    {"Inp2", "InpMap2", "InputMap2", kInputsAt, 1},
    {"Inp3", "InpMap3", "InputMap3", kInputsAt, 2},
    {"Inp4", "InpMap4", "InputMap4", kInputsAt, 3},
    {"Inp5", "InpMap5", "InputMap5", kInputsAt, 4},
    {"Inp6", "InpMap6", "InputMap6", kInputsAt, 5},
    {"Out1", "OutMap1", "OutputMap1", kOutputsAt, 0},
    {"Out2", "OutMap2", "OutputMap2", kOutputsAt, 1},
    {"Out3", "OutMap3", "OutputMap3", kOutputsAt, 2},
    {"Out4", "OutMap4", "OutputMap4", kOutputsAt, 3},
}};

namespace {

// Batch position of lamp k's map variable.
int MapAt(int lamp) { return lamp < kInputs ? kInpMap1At + lamp : kOutMap1At + lamp - kInputs; }

bool IsVariable(std::string_view name) { return Dictionary().IsStatusVar(name) || Dictionary().IsCfgVar(name); }

bool SameName(std::string_view a, std::string_view b) { return CompareNames(a, b) == 0; }

} // namespace

void OnlineDrive::ResetRows()
{
    for (Row &r : rows_) {
        r.valueText = "0";
        r.unitText.clear();
    }
}

void OnlineDrive::SetName(int row, std::string_view name) { rows_.at(static_cast<std::size_t>(row)).name = name; }

RowView OnlineDrive::RefreshRow(int row, const std::vector<std::string> &entries)
{
    Row &r = rows_.at(static_cast<std::size_t>(row));
    const std::string name = r.name;
    RowView view;
    view.nameText = Dictionary().CanonicalName(name);
    r.name = view.nameText;
    const auto entry = std::find(entries.begin(), entries.end(), view.nameText);
    view.entryIndex = entry == entries.end() ? -1 : static_cast<int>(entry - entries.begin());
    view.helpText = Dictionary().HelpText(name);
    if (!IsVariable(name))
        return view;
    view.isVariable = true;
    view.changeEnabled = !Dictionary().IsReadOnly(name);

    double value = 0;
    const int status = line::GetVar700(r.name.c_str(), &value);
    const bool enumerated = HasEnum(name) != nullptr;
    if (status != 0) {
        view.valueBox = StatusText(status);
        if (enumerated)
            r.valueText = view.valueBox;
    } else if (enumerated) {
        r.valueText = EnumValueText(name, value);
        view.valueBox = r.valueText;
    } else {
        r.valueText = ValueNumberText(name, value, DecimalPoint);
        r.unitText = UnitText(name);
        view.valueBox = r.valueText + " " + r.unitText;
    }
    if (SameName(name, "DM1Map"))
        UpdateGainUnits("DM1Gain");
    else if (SameName(name, "DM2Map"))
        UpdateGainUnits("DM2Gain");
    return view;
}

void OnlineDrive::UpdateGainUnits(std::string_view gainName)
{
    for (Row &r : rows_)
        if (SameName(r.name, gainName))
            r.unitText = UnitText(gainName);
}

std::array<std::string, kBatchSize> OnlineDrive::BatchNames() const
{
    std::array<std::string, kBatchSize> names;
    for (int i = 0; i < kRows; ++i)
        names[static_cast<std::size_t>(i)] = rows_[static_cast<std::size_t>(i)].name;
    for (int i = kRows; i < kBatchSize; ++i)
        names[static_cast<std::size_t>(i)] = kFixedBatchNames[static_cast<std::size_t>(i - kRows)];
    return names;
}

const DriveView &OnlineDrive::Poll(const DriveContext &context)
{
    const std::array<std::string, kBatchSize> names = BatchNames();
    std::array<const char *, kBatchSize + 1> list{};
    for (std::size_t i = 0; i < names.size(); ++i)
        list[i] = names[i].c_str();
    list[kBatchSize] = nullptr;
    std::array<double, kBatchSize> values{};
    int valid = 0;
    const int status = line::GetVars700(list.data(), values.data(), &valid);
    return Apply(status, values, valid, context);
}

const DriveView &OnlineDrive::Apply(int status, const std::array<double, kBatchSize> &values, int validMask,
                                    const DriveContext &context)
{
    DriveView &v = view_;
    v.status = status;
    v.commOk = status == 0;
    auto value = [&](int at) { return values[static_cast<std::size_t>(at)]; };

    for (int i = 0; i < kRows; ++i) {
        Row &r = rows_[static_cast<std::size_t>(i)];
        std::string &box = v.valueBox[static_cast<std::size_t>(i)];
        if (!v.commOk) {
            box = StatusText(status);
        } else if (HasEnum(r.name) != nullptr) {
            box = EnumValueText(r.name, value(i));
        } else if ((validMask >> i) & 1) {
            r.valueText = ValueNumberText(r.name, value(i), DecimalPoint);
            box = r.valueText + " " + r.unitText;
        } else {
            box.clear();
        }
    }

    const bool family740 = Is740Family(TruncToInt(value(kModelAt)));
    for (int k = 0; k < kLamps; ++k) {
        const LampRule &rule = kLampRules[static_cast<std::size_t>(k)];
        LampView &lamp = v.lamps[static_cast<std::size_t>(k)];
        if (!v.commOk) {
            // Blinking, so a dead line is told from a drive whose inputs are all off.
            lamp.lit = !lamp.lit;
            lamp.caption = "?";
            continue;
        }
        lamp.lit = ((TruncToInt(value(rule.stateAt)) >> rule.bit) & 1) != 0;
        lamp.caption = lamp.lit ? "On" : "Off";
        // The batch reads the 730 family's spelling of the maps; a 740-family drive answers it
        // with its own map (the same wire variable), whose functions are named by its own table.
        lamp.hint = MappingHint(rule.pin, family740 ? rule.map740 : rule.map, value(MapAt(k)));
    }

    if (!v.commOk) {
        v.driveLabel = "Drive: ?";
        v.motorLabel = "Motor: ?";
        v.modeLabel = "Mode:  ?";
        v.faultGroupVisible = false;
        v.faultLampVisible = false;
        v.faultLampLit = false;
        return v;
    }
    v.model = TruncToInt(value(kModelAt));
    v.driveLabel = DriveLabel(value(kModelAt));
    v.motorLabel = "Motor: " + MotorName(value(kMotor1At), value(kMotor2At));
    const int driveStatus = TruncToInt(value(kDriveStatusAt));
    v.faultGroupVisible = driveStatus == 1;
    v.faultLampVisible = driveStatus != 0;
    v.faultLampLit = driveStatus != 0;
    v.faultCodeText = EnumText("FaultCode", TruncToInt(value(kFaultCodeAt)));
    v.extFaultText = EnumText("ExtFault", TruncToInt(value(kExtFaultAt)));
    if (context.controlSwitchShown && !context.serialControl)
        v.modeLabel = "Mode: SERCOS Control";
    else
        v.modeLabel = "Mode: " + EnumText("OpMode730", OperatingMode(TruncToInt(value(kBlkTypeAt)),
                                                                     TruncToInt(value(kEncModeAt))));
    return v;
}

} // namespace tools700::online
