// A configuration (read from a file, or the one being edited) against the drive at the link's
// current axis: every configuration variable of the drive's family, the configuration's value
// and the drive's, compared as the drive stores them (reals as 32-bit floats, integers
// truncated). A variable the drive does not let us read, one the file lacks and one that is not a
// variable of the drive's family are rows of their own, never left out. Reading the drive and
// comparing are apart, so a comparison can be made again from the same readings (after values
// were taken from the drive) without a drive exchange.
#pragma once

#include "tools700/config/Cfg.h"
#include "tools700/config/VariableReader.h"

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tools700 {

class PrintCanvas;

// What the comparison found for one variable.
enum class Difference {
    None,             // the drive holds what a download of the configuration would give it
    Value,            // the values differ
    NotInFile,        // the file has no line for it (a download would write the default)
    NotReadable,      // the drive did not let us read it (refused, or the line failed)
    NotInDriveFamily, // the configuration's variable is not one of the drive's family
};

// What a download does with the variable.
enum class DownloadRole {
    WrittenFirst, // written before the others (their bounds depend on it), and again in its place
    Written,      // written in the configuration's order
    DrivesOwn,    // never written: the drive reports it (Model)
};

// The texts of a role, for a table's column and the printout.
const char *DownloadRoleText(DownloadRole role);

struct ComparedVariable {
    std::string name; // the dictionary's spelling
    std::string help; // the dictionary's help text
    Difference difference = Difference::None;
    DownloadRole role = DownloadRole::Written;
    bool inFile = true;    // the configuration holds it (false: a default stands in)
    double fileValue = 0;  // the configuration's value
    std::string fileText;  // that value with its enumeration text and unit; "not in the file" when lacking
    int driveStatus = VariableReading::kNotRead; // 0 when driveValue holds the drive's value
    double driveValue = 0;
    std::string driveText; // the drive's value with its enumeration text and unit, or why there is none

    bool Differs() const { return difference != Difference::None; }
};

// The drive's side: its model and every configuration variable of its family as read.
struct DriveReadings {
    int model = 0;
    std::vector<VariableReading> values; // in the family list's order
};

struct Comparison {
    int configurationModel = 0;
    int driveModel = 0;
    std::vector<ComparedVariable> variables; // dictionary order

    bool SameModel() const { return configurationModel == driveModel; }
    std::size_t DifferenceCount() const;
    std::size_t SameCount() const { return variables.size() - DifferenceCount(); }
    // The row of a name (any letter case), or nullptr.
    const ComparedVariable *Find(const std::string &name) const;
    // "<n> differences, <m> variables the same" (one difference, one variable).
    std::string Summary() const;
};

// The warning shown before a configuration of another drive model is compared; names both.
std::string OtherModelWarning(int configurationModel, int driveModel);

// A value as the comparison shows it: an integer truncated, an enumeration value followed by its
// text, a real as the shortest text of the 32-bit float the drive keeps; then the unit, as the
// unit rules give it for `context`'s values.
std::string ComparedValueText(const std::string &name, double value, const ValueLookup &context);

// Reads the drive's model, then every configuration variable of its family (32 names an
// exchange). False when the model cannot be read (nothing else is read then) or the reading was
// cancelled.
bool ReadDriveConfiguration(DriveReadings &out, const ProgressFn &progress = {}, const CancelFn &cancelled = {});

// Compares the configuration with the readings. `held`: the names the file holds (Cfg::Load's
// namesRead); every variable of the configuration's family when null (a configuration in
// memory holds them all).
Comparison Compare(const Cfg &configuration, const std::vector<std::string> *held, const DriveReadings &drive);

// The whole comparison against the drive at the current axis: the model first; a configuration of
// another model only when `acceptOtherModel` (given OtherModelWarning) agrees. Result status:
enum class CompareOutcome { Compared, NoDrive, OtherModelDeclined, Cancelled };
struct CompareResult {
    CompareOutcome outcome = CompareOutcome::NoDrive;
    DriveReadings drive;
    Comparison comparison;
};
CompareResult CompareWithDrive(const Cfg &configuration, const std::vector<std::string> *held,
                               const std::function<bool(const std::string &warning)> &acceptOtherModel,
                               const ProgressFn &progress = {}, const CancelFn &cancelled = {});

// Copies the drive's values of the named variables (any letter case) into the configuration with
// Set, so its modified flag tells the change. A name the drive gave no value for, or one the
// configuration does not index, is not taken; neither is Model from a drive of another family
// (the configuration's family cannot change). Returns the names taken.
std::vector<std::string> TakeFromDrive(Cfg &configuration, const Comparison &comparison,
                                       const std::vector<std::string> &names);

// The printout's name: "<configuration name> compared with the <drive model>".
std::string ComparisonTitle(const std::string &configurationName, const Comparison &comparison);

// The differences (or, with `all`, every variable) in the printed listing's page layout: the
// header with `title`, the date and time and the page number; body lines numbered from 1, each
// followed by the variable's help text.
int PrintComparison(PrintCanvas &canvas, const Comparison &comparison, const std::string &title, bool all,
                    const ProgressFn &progress = {}, std::time_t when = std::time(nullptr));

} // namespace tools700
