#include "tools700/wizard/IoWizard.h"

#include "tools700/wizard/WizardRules.h"

namespace tools700 {

namespace {

// The rows in window order. Check boxes are numbered in table order: a pair's hi box first.
constexpr IoRow kRowTable[IoWizard::kRows] = {
    {"Analog Input Null", 0x8007, 7, 1, "Nulls the analog input by setting ADOffset to old ADOffset minus AnalogIn", true},
    {"Counterclockwise Inhibit", 0x8006, 6, 3, "Inhibits motor motion in the counterclockwise direction when asserted", true},
    {"Clockwise Inhibit", 0x8005, 5, 5, "Inhibits motor motion in the clockwise direction when asserted", true},
    {"Command Gain Select", 0x8009, 9, 7, "Switches the analog input scale factor between CmdGain and CmdGain2", true},
    {"Enable2 ", 0x8003, 3, 9, "Second enable function", true},
    {"Fault Reset", 0x8001, 1, 11, "Resets drive faults", true},
    {"Gearing On", 0x800E, 14, 13, "Turns electronic gearing on", false},
    {"Home Switch Input", 0x800F, 15, 15, "Home switch input for a homing move", false},
    {"Position Mode Select ", 0x8008, 8, 17, "Switches the active mode of operation to position mode", false},
    {"Start Move ", 0x800A, 10, 19, "Initiates the preset move as defined by the current state of the MoveSelectBit inputs", false},
    {"RunStop", 0x8002, 2, 21, "Selects between normal operation and setting the velocity command to zero", true},
    {"Velocity Command Source ", 0x8004, 4, 23, "Selects between VelCmd and VelCmd2", true},
    {"Move Select Bit0", 0x800B, 0, 25, "Determines the active move", false},
    {"Move Select Bit1", 0x800C, 0, 26, "Determines the active move", false},
    {"Move Select Bit2", 0x800D, 0, 27, "Determines the active move", false},
    {"Brake", 0x8003, 3, 28, "Indicates when the motor is not powered and a mechanical brake is needed to hold the motor", true},
    {"Electrical Revs", 0x8005, 5, 30, "Square wave whose frequency is equal to the motor electrical frequency", true},
    {"Enabled", 0x8002, 2, 32, "Indicates whether power can flow to the motor", true},
    {"Excess Position Error", 0x8007, 7, 34, "Asserted when there is excess following error for an extended period of time", true},
    {"Fault", 0x8001, 1, 36, "Indicates whether thr driv has faulted and is disabled", true},
    {"Mechanical Revs", 0x8004, 4, 38, "Square wave whose frenquency is equal to the resolver's electrical frequency which is typically equal to the mechanical Rev/sec", true},
    {"Move Done", 0x8008, 8, 40, "Indicates that a move is complete", false},
    {"Zero Speed", 0x8006, 6, 42, "Activated when the motor's speed goes below the speed threshold set by the parameter ZeroSpeedThresh", true},
};

constexpr const char *kDefaultPrefix = "Default Setting   ";

} // namespace

const IoRow &IoWizard::Row(int row) { return kRowTable[row - 1]; }

int IoWizard::RowOfBox(int box)
{
    for (int r = kRows; r >= 1; --r)
        if (box >= kRowTable[r - 1].firstBox)
            return r;
    return 1;
}

bool IoWizard::IsHiBox(int box) { return Row(RowOfBox(box)).firstBox == box; }

int IoWizard::CodeOfBox(int box)
{
    const IoRow &r = Row(RowOfBox(box));
    return IsHiBox(box) ? r.hiCode : r.loCode;
}

std::vector<std::string> IoWizard::PortItems(int row)
{
    std::vector<std::string> items;
    const int ports = IsInputRow(row) ? 6 : 4;
    for (int p = 1; p <= ports; ++p)
        items.push_back(std::to_string(p));
    if (row == kBlankPortRow)
        items.emplace_back(" ");
    return items;
}

std::string IoWizard::PortText(int row) const
{
    const int index = PortIndex(row);
    const std::vector<std::string> items = PortItems(row);
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : std::string();
}

void IoWizard::Load(const IoMap &map, std::string_view driveText)
{
    const bool family740 = Is740DriveText(driveText);
    for (int r = 1; r <= kRows; ++r)
        rowEnabled_[r - 1] = !family740 || Row(r).on740;
    map_ = IoMap{};
    for (bool &t : ticked_)
        t = false;
    for (int box = 1; box <= kBoxes; ++box) {
        const int code = CodeOfBox(box);
        for (int e = FirstEntry(box); e <= LastEntry(box); ++e)
            if (code != 0 && map[e] == code)
                ticked_[box - 1] = true;
    }
    for (int e = 1; e <= 10; ++e)
        map_[e] = map[e];
    RebuildPorts();
    UpdateStatus(kDefaultPrefix);
}

void IoWizard::Release(int box)
{
    const int code = CodeOfBox(box);
    for (int e = FirstEntry(box); e <= LastEntry(box); ++e)
        if (map_[e] == code)
            map_[e] = 0;
}

std::string IoWizard::SetTicked(int box, bool ticked)
{
    std::string message;
    ticked_[box - 1] = ticked;
    if (!ticked) {
        Release(box);
    } else {
        const IoRow &row = Row(RowOfBox(box));
        if (row.loCode != 0) {
            const int other = IsHiBox(box) ? box + 1 : box - 1;
            if (ticked_[other - 1]) {
                ticked_[other - 1] = false;
                Release(other);
            }
        }
        int entry = 0;
        for (int e = FirstEntry(box); e <= LastEntry(box) && entry == 0; ++e)
            if (map_[e] == 0)
                entry = e;
        if (entry != 0) {
            map_[entry] = CodeOfBox(box);
        } else {
            message = box <= kLastInputBox ? "All input ports have been taken" : "All output ports have been taken";
            ticked_[box - 1] = false;
        }
    }
    RebuildPorts();
    UpdateStatus("");
    return message;
}

void IoWizard::RebuildPorts()
{
    for (int r = 1; r <= kRows; ++r) {
        portEnabled_[r - 1] = false;
        portIndex_[r - 1] = -1;
        const IoRow &row = Row(r);
        const int hi = row.firstBox;
        const int lo = row.loCode != 0 ? hi + 1 : 0;
        // The box whose code counts: lo wins over hi for inputs, hi over lo for outputs.
        int box = 0;
        if (IsInputRow(r))
            box = lo && ticked_[lo - 1] ? lo : ticked_[hi - 1] ? hi : 0;
        else
            box = ticked_[hi - 1] ? hi : lo && ticked_[lo - 1] ? lo : 0;
        if (box == 0)
            continue;
        portEnabled_[r - 1] = true;
        for (int e = FirstEntry(box); e <= LastEntry(box); ++e) {
            if (map_[e] == CodeOfBox(box)) {
                portIndex_[r - 1] = e - FirstEntry(box);
                break;
            }
        }
    }
}

void IoWizard::SelectPort(int row, int index)
{
    portIndex_[row - 1] = index;
    const std::string shown = PortText(row);
    const int first = IsInputRow(row) ? 1 : kInputRows + 1;
    const int last = IsInputRow(row) ? kInputRows : kRows;
    for (int r = first; r <= last; ++r)
        if (r != row && portEnabled_[r - 1] && !shown.empty() && PortText(r) == shown)
            portIndex_[r - 1] = -1;
    status_ = "Ensure ports have been selected for all input/output variables you have picked.";
}

void IoWizard::Clear()
{
    for (int box = 1; box <= kBoxes; ++box)
        if (ticked_[box - 1])
            SetTicked(box, false);
    // Every port box, the last one included: a port left on a function nobody ticks would still
    // be mapped by "Next".
    for (int r = 1; r <= kRows; ++r) {
        portEnabled_[r - 1] = false;
        portIndex_[r - 1] = -1;
    }
    UpdateStatus("");
}

bool IoWizard::Next(IoMap &out, std::string &message) const
{
    IoMap result{};
    for (int r = 1; r <= kRows; ++r) {
        if (!portEnabled_[r - 1])
            continue;
        const std::string text = PortText(r);
        if (text.empty()) {
            message = "You must choose a port number for every item that you select";
            return false;
        }
        const IoRow &row = Row(r);
        const bool loTicked = row.loCode != 0 && ticked_[row.firstBox];
        const bool hiTicked = ticked_[row.firstBox - 1];
        int code = row.hiCode;
        if (row.loCode != 0)
            code = IsInputRow(r) ? (loTicked ? row.loCode : row.hiCode) : (hiTicked ? row.hiCode : row.loCode);
        const int ports = IsInputRow(r) ? 6 : 4;
        const int port = text.size() == 1 && text[0] >= '1' && text[0] < '1' + ports ? text[0] - '0' : 0;
        if (port == 0)
            continue; // the blank entry leaves the function unmapped
        result[IsInputRow(r) ? port : 6 + port] = code;
    }
    out = result;
    message.clear();
    return true;
}

void IoWizard::UpdateStatus(const char *prefix)
{
    // The lowest port no enabled row of the group shows; none when every port box is in use.
    auto next = [this](int first, int last, int ports) {
        int enabled = 0;
        bool shown[8] = {};
        for (int r = first; r <= last; ++r) {
            if (!portEnabled_[r - 1])
                continue;
            ++enabled;
            const int p = portIndex_[r - 1] + 1;
            if (p >= 1 && p <= ports)
                shown[p] = true;
        }
        if (enabled >= ports)
            return 0;
        for (int p = 1; p <= ports; ++p)
            if (!shown[p])
                return p;
        return 0;
    };
    const int in = next(1, kInputRows, 6);
    const int out = next(kInputRows + 1, kRows, 4);
    std::string text;
    if (in == 0 && out == 0)
        text = "All input and output port have been taken.";
    else if (in == 0)
        text = "All input port have been taken. you could  select output port " + std::to_string(out);
    else if (out == 0)
        text = "All output port have been taken. you could  select input port " + std::to_string(in);
    else
        text = "Please select input port " + std::to_string(in) + " and output port " + std::to_string(out);
    status_ = prefix + text;
}

} // namespace tools700
