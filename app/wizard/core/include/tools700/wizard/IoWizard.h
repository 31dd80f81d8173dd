// The I/O mapping wizard's rules: the 23 function rows with their check boxes and port boxes, the
// working map of the ten ports, the ticking rules, the port box rule, the status line and the map
// that "Next" hands back. The window shows this state and passes the user's clicks in.
#pragma once

#include "tools700/config/Generator.h"

#include <string>
#include <string_view>
#include <vector>

namespace tools700 {

// One row of the window: a function with its two codes (only hi for the Move Select bits), its
// check boxes (numbers 1..43 in table order) and whether 740-family drives offer it.
struct IoRow {
    const char *label;
    int hiCode;
    int loCode;     // 0: the row has a single check box
    int firstBox;   // number of the hi box; the lo box is the next number
    const char *toolTip;
    bool on740;
};

class IoWizard {
public:
    static constexpr int kRows = 23;
    static constexpr int kBoxes = 43;
    static constexpr int kInputRows = 15;     // rows 1..15 are inputs, 16..23 outputs
    static constexpr int kLastInputBox = 27;  // boxes 1..27 are inputs, 28..43 outputs
    static constexpr int kBlankPortRow = 9;   // "Position Mode Select " offers a blank port too

    // The rows, 1..23 (index 0 is row 1).
    static const IoRow &Row(int row);
    // The row of a check box, and whether it is the row's hi box.
    static int RowOfBox(int box);
    static bool IsHiBox(int box);
    static int CodeOfBox(int box);
    static bool IsInputRow(int row) { return row <= kInputRows; }
    // The texts a row's port box offers: "1".."6" for inputs (plus " " for row 9), "1".."4" for
    // outputs.
    static std::vector<std::string> PortItems(int row);

    // Activation and "Default": rows of the family, every box unticked, then ticked from the
    // wizard's map, the port boxes rebuilt; the status line gets the prefix "Default Setting   ".
    void Load(const IoMap &map, std::string_view driveText);
    void Default(const IoMap &map, std::string_view driveText) { Load(map, driveText); }

    // A check box changed. Returns the text of the information box to show ("" for none): a
    // ticked box that finds no free port of its group is unticked again.
    std::string SetTicked(int box, bool ticked);
    // A port box changed to item `index` (-1: none): the other enabled port boxes of the group
    // that show the same port lose their selection.
    void SelectPort(int row, int index);
    // "Clear": every box unticked, every port box disabled and emptied.
    void Clear();
    // "Next": the map of the enabled port boxes. False with the message to show when a chosen
    // function has no port.
    bool Next(IoMap &out, std::string &message) const;

    bool RowEnabled(int row) const { return rowEnabled_[row - 1]; }
    bool Ticked(int box) const { return ticked_[box - 1]; }
    bool PortEnabled(int row) const { return portEnabled_[row - 1]; }
    // The selected item of a row's port box, -1 for none.
    int PortIndex(int row) const { return portIndex_[row - 1]; }
    std::string PortText(int row) const;
    const std::string &StatusLine() const { return status_; }
    const IoMap &WorkingMap() const { return map_; }

private:
    void Release(int box);
    void RebuildPorts();
    void UpdateStatus(const char *prefix);
    // Entries of a box's group in the working map: 1..6 or 7..10.
    static int FirstEntry(int box) { return box <= kLastInputBox ? 1 : 7; }
    static int LastEntry(int box) { return box <= kLastInputBox ? 6 : 10; }

    bool rowEnabled_[kRows] = {};
    bool ticked_[kBoxes] = {};
    bool portEnabled_[kRows] = {};
    int portIndex_[kRows] = {};
    IoMap map_{};
    std::string status_;
};

} // namespace tools700
