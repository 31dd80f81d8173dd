// OnlineDrive: what the on-line drive window decides, without the window. Six rows of variables
// chosen by name, each refreshed alone (RefreshRow) and with every poll; the poll reads 26 names
// in one GetVars700 exchange and turns the answer into the row texts, the input and output
// lamps with their mapping hints, the drive, motor and mode labels and the fault area.
// `tools700-cli watch` polls through the same class.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tools700::online {

inline constexpr int kRows = 6;
inline constexpr int kInputs = 6;
inline constexpr int kOutputs = 4;
inline constexpr int kLamps = kInputs + kOutputs;
inline constexpr int kBatchSize = 26;

// Positions in the batch: the six row names, then the fixed names in this order.
enum BatchIndex : int {
    kInputsAt = 6,
    kOutputsAt = 7,
    kModelAt = 8,
    kMotor1At = 9,
    kMotor2At = 10,
    kDriveStatusAt = 11,
    kFaultCodeAt = 12,
    kExtFaultAt = 13,
    kInpMap1At = 14, // InpMap1..InpMap6 at 14..19
    kOutMap1At = 20, // OutMap1..OutMap4 at 20..23
    kBlkTypeAt = 24,
    kEncModeAt = 25,
};

// The fixed names of batch positions 6..25.
extern const std::array<const char *, kBatchSize - kRows> kFixedBatchNames;

// One input or output lamp: its pin label, the map variable the batch reads for its hint (and the
// 740 family's spelling of that variable, whose enumeration names the functions of those drives),
// the batch position of its state word and its bit there.
struct LampRule {
    const char *pin;
    const char *map;
    const char *map740;
    int stateAt;
    int bit;
};
extern const std::array<LampRule, kLamps> kLampRules;

// What the window knows of the drive besides the poll: the main window's control-mode switch is
// shown (a 740-family drive) and the drive is in Serial Control Mode.
struct DriveContext {
    bool controlSwitchShown = false;
    bool serialControl = false;
};

// What RefreshRow decided for one row.
struct RowView {
    std::string nameText;   // the name box's new text
    int entryIndex = -1;    // the list entry to select, -1 when the text is none of them
    std::string helpText;   // the label above the row
    bool isVariable = false;
    bool changeEnabled = false;
    std::string valueBox;
};

struct LampView {
    bool lit = false;
    std::string caption;  // "On", "Off", "?"; empty before the first poll
    std::string hint;     // the mapping hint; kept when a poll fails
};

// What the poll decided for the whole window.
struct DriveView {
    int status = 0;                       // link status of the last batch read
    bool commOk = false;                  // the last batch read succeeded
    int model = 0;                        // Model code of the last batch read that succeeded
    std::array<std::string, kRows> valueBox;
    std::array<LampView, kLamps> lamps;
    std::string driveLabel = "Drive:";
    std::string motorLabel = "Motor:";
    std::string modeLabel = "Mode:";
    bool faultGroupVisible = false;
    bool faultLampVisible = false;
    bool faultLampLit = false;
    std::string faultCodeText;            // kept when a poll fails
    std::string extFaultText;
};

class OnlineDrive {
public:
    struct Row {
        std::string name;          // as it stands in the row's name box
        std::string valueText = "0";
        std::string unitText;
    };

    // ValueText "0" and an empty unit for every row (each time the window is shown).
    void ResetRows();
    void SetName(int row, std::string_view name);
    const Row &RowAt(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

    // Rewrites the row's name in the dictionary's letter case, reads the variable alone and
    // decides what the row shows; `entries` is the row's name list. A row showing DM1Map or
    // DM2Map refreshes the unit of the rows showing DM1Gain or DM2Gain.
    RowView RefreshRow(int row, const std::vector<std::string> &entries);
    // The unit text of every row showing `gainName` is read again (shown from the next poll on).
    void UpdateGainUnits(std::string_view gainName);

    // The 26 names of one poll, in order: the row names as they stand (empty ones included), then
    // the fixed names.
    std::array<std::string, kBatchSize> BatchNames() const;
    // One poll: one GetVars700 exchange of the batch, then Apply.
    const DriveView &Poll(const DriveContext &context);
    // The poll's decisions for a batch read's status, values and valid mask.
    const DriveView &Apply(int status, const std::array<double, kBatchSize> &values, int validMask,
                           const DriveContext &context);
    const DriveView &View() const { return view_; }
    bool CommOk() const { return view_.commOk; }

    // The decimal separator of the values' texts: the window's user's; '.' for tools700-cli.
    char DecimalPoint = '.';

private:
    std::array<Row, kRows> rows_;
    DriveView view_;
};

} // namespace tools700::online
