// A configuration against the drive: reading the drive's side, comparing, taking drive values.
#include "tools700/config/Comparison.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tools700 {

namespace {

bool WrittenFirst(const std::string &name)
{
    return std::any_of(kVariablesWrittenFirst.begin(), kVariablesWrittenFirst.end(),
                       [&](const char *n) { return CompareNames(n, name) == 0; });
}

DownloadRole RoleOf(const std::string &name)
{
    if (CompareNames(name, "Model") == 0)
        return DownloadRole::DrivesOwn;
    return WrittenFirst(name) ? DownloadRole::WrittenFirst : DownloadRole::Written;
}

// Whether the drive holds what writing `fileValue` would give it: integers go to the drive
// truncated, reals as 32-bit floats.
bool SameAsStored(const std::string &name, double fileValue, double driveValue)
{
    if (Dictionary().IsInteger(name))
        return std::trunc(fileValue) == std::trunc(driveValue);
    return static_cast<float>(fileValue) == static_cast<float>(driveValue);
}

const std::vector<TQX *> &IndexedList(const Cfg &cfg) { return cfg.Indexes740() ? cfg.SecondaryList() : cfg.PrimaryList(); }

bool Holds(const std::vector<std::string> *held, const std::string &name)
{
    return !held || std::any_of(held->begin(), held->end(),
                                [&](const std::string &n) { return CompareNames(n, name) == 0; });
}

// Reads the configuration variables of the model's family.
bool ReadFamily(int model, DriveReadings &out, const ProgressFn &progress, const CancelFn &cancelled)
{
    out.model = model;
    const Cfg family(model);
    std::vector<std::string> names;
    for (const TQX *t : IndexedList(family))
        names.push_back(t->VarName());
    out.values = ReadVariables(names, progress, cancelled);
    return !(cancelled && cancelled());
}

std::string Plural(std::size_t n, const char *one, const char *many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

const char *DownloadRoleText(DownloadRole role)
{
    switch (role) {
    case DownloadRole::WrittenFirst: return "written first";
    case DownloadRole::DrivesOwn: return "the drive's own";
    case DownloadRole::Written: break;
    }
    return "written";
}

std::size_t Comparison::DifferenceCount() const
{
    return static_cast<std::size_t>(
        std::count_if(variables.begin(), variables.end(), [](const ComparedVariable &v) { return v.Differs(); }));
}

const ComparedVariable *Comparison::Find(const std::string &name) const
{
    for (const ComparedVariable &v : variables)
        if (CompareNames(v.name, name) == 0)
            return &v;
    return nullptr;
}

std::string Comparison::Summary() const
{
    return Plural(DifferenceCount(), "difference", "differences") + ", " +
           Plural(SameCount(), "variable the same", "variables the same");
}

std::string OtherModelWarning(int configurationModel, int driveModel)
{
    return "This configuration is for an " + ModelText(configurationModel) + " drive, but the drive is an " +
           ModelText(driveModel) + ".\nIts values can be compared with the drive's by name, but they cannot be "
           "sent to this drive.";
}

std::string ComparedValueText(const std::string &name, double value, const ValueLookup &context)
{
    char buf[64];
    std::string text;
    const EnumTable *table = HasEnum(name);
    if (Dictionary().IsInteger(name) || table) {
        const double whole = std::trunc(value) + 0.0; // + 0.0: no "-0"
        auto r = std::to_chars(buf, buf + sizeof buf, whole);
        text.assign(buf, r.ptr);
        if (table) {
            const std::string e = EnumText(name, TruncToInt(value));
            if (!e.empty())
                text += " (" + e + ")";
        }
    } else {
        // The shortest fixed-point text that reads back as the same float ("0.0015",
        // "1000000000"): two values that differ on the drive never show the same text.
        auto r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(value), std::chars_format::fixed);
        text.assign(buf, r.ptr);
    }
    const std::string unit = UnitText(name, &context);
    if (!unit.empty())
        text += " " + unit;
    return text;
}

bool ReadDriveConfiguration(DriveReadings &out, const ProgressFn &progress, const CancelFn &cancelled)
{
    out = {};
    double model = 0;
    if (line::GetVar700("Model", &model) != 0)
        return false;
    return ReadFamily(TruncToInt(model), out, progress, cancelled);
}

Comparison Compare(const Cfg &configuration, const std::vector<std::string> *held, const DriveReadings &drive)
{
    Comparison out;
    out.configurationModel = TruncToInt(configuration.Get("Model"));
    out.driveModel = drive.model;
    // The drive's values as a value set, for the unit rules of the drive's side.
    Cfg driveValues(drive.model);
    for (const VariableReading &r : drive.values)
        if (r.Read())
            if (TQX *t = driveValues.Find(r.name))
                t->Val(r.value);

    const std::vector<TQX *> &mine = IndexedList(configuration);
    const Symtab &dict = Dictionary();
    auto row = [&](const std::string &name) {
        ComparedVariable v;
        v.name = dict.CanonicalName(name);
        v.help = dict.HelpText(name);
        v.role = RoleOf(name);
        return v;
    };
    // Both lists follow dictionary order: merge them.
    size_t i = 0, j = 0;
    while (i < mine.size() || j < drive.values.size()) {
        const int order = i == mine.size()              ? 1
                          : j == drive.values.size()    ? -1
                                                        : CompareNames(mine[i]->VarName(), drive.values[j].name);
        if (order < 0) {
            ComparedVariable v = row(mine[i]->VarName());
            v.difference = Difference::NotInDriveFamily;
            v.inFile = Holds(held, v.name);
            v.fileValue = mine[i]->Val();
            v.fileText = v.inFile ? ComparedValueText(v.name, v.fileValue, configuration) : "not in the file";
            v.driveText = "not a variable of the drive's family";
            out.variables.push_back(std::move(v));
            ++i;
            continue;
        }
        const VariableReading &r = drive.values[j];
        ComparedVariable v = row(r.name);
        v.driveStatus = r.status;
        v.driveValue = r.value;
        if (r.Read())
            v.driveText = ComparedValueText(v.name, r.value, driveValues);
        else if (r.status == VariableReading::kNotRead)
            v.driveText = "not read";
        else
            v.driveText = "not readable: " + StatusText(r.status);
        if (order == 0) {
            v.inFile = Holds(held, v.name);
            v.fileValue = mine[i]->Val();
            const std::string text = ComparedValueText(v.name, v.fileValue, configuration);
            v.fileText = v.inFile ? text : "not in the file (default " + text + ")";
            ++i;
        } else {
            // A variable of the drive's family that a configuration of another family lacks.
            v.inFile = false;
            v.fileText = "not in the file";
        }
        if (!r.Read())
            v.difference = Difference::NotReadable;
        else if (!v.inFile)
            v.difference = Difference::NotInFile;
        else
            v.difference = SameAsStored(v.name, v.fileValue, r.value) ? Difference::None : Difference::Value;
        out.variables.push_back(std::move(v));
        ++j;
    }
    return out;
}

CompareResult CompareWithDrive(const Cfg &configuration, const std::vector<std::string> *held,
                               const std::function<bool(const std::string &warning)> &acceptOtherModel,
                               const ProgressFn &progress, const CancelFn &cancelled)
{
    CompareResult result;
    double model = 0;
    if (line::GetVar700("Model", &model) != 0)
        return result;
    const int driveModel = TruncToInt(model);
    const int mine = TruncToInt(configuration.Get("Model"));
    if (mine != driveModel && !(acceptOtherModel && acceptOtherModel(OtherModelWarning(mine, driveModel)))) {
        result.outcome = CompareOutcome::OtherModelDeclined;
        return result;
    }
    if (!ReadFamily(driveModel, result.drive, progress, cancelled)) {
        result.outcome = CompareOutcome::Cancelled;
        return result;
    }
    result.comparison = Compare(configuration, held, result.drive);
    result.outcome = CompareOutcome::Compared;
    return result;
}

std::vector<std::string> TakeFromDrive(Cfg &configuration, const Comparison &comparison,
                                       const std::vector<std::string> &names)
{
    std::vector<std::string> taken;
    for (const std::string &name : names) {
        const ComparedVariable *v = comparison.Find(name);
        if (!v || v->driveStatus != 0 || !configuration.Find(v->name))
            continue;
        if (v->role == DownloadRole::DrivesOwn && Is740Family(comparison.driveModel) != configuration.Indexes740())
            continue;
        configuration.Set(v->name, v->driveValue);
        taken.push_back(v->name);
    }
    return taken;
}

} // namespace tools700
