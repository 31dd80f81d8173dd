#include "tools700/compare/CompareWorkflow.h"

#include "tools700/common/Error.h"
#include "tools700/config/PrintCanvas.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>

namespace tools700 {

void CompareWorkflow::OpenConfiguration(Cfg &cfg, const std::string &name)
{
    own_.reset();
    cfg_ = &cfg;
    name_ = name;
    held_.clear();
    allHeld_ = true;
    compared_ = false;
    result_ = {};
    ticked_.clear();
    takenSinceSave_ = 0;
}

void CompareWorkflow::OpenFile(const std::string &path)
{
    CfgFromFile file = LoadCfgOfItsFamily(path);
    if (file.result == 0)
        throw Error("No value could be read from the file " + path);
    OpenConfiguration(*file.cfg, path);
    own_ = std::move(file.cfg);
    held_ = std::move(file.names);
    allHeld_ = false;
}

CompareWorkflow::Snapshot CompareWorkflow::MakeSnapshot() const
{
    Snapshot s;
    if (!cfg_)
        return s;
    s.cfg = std::make_shared<Cfg>(cfg_->Indexes740() ? 740 : 730);
    s.cfg->Assign(*cfg_);
    s.held = held_;
    s.allHeld = allHeld_;
    return s;
}

CompareResult CompareWorkflow::Read(const Snapshot &snapshot,
                                    const std::function<bool(const std::string &)> &acceptOtherModel,
                                    const ProgressFn &progress, const CancelFn &cancelled)
{
    if (!snapshot.cfg)
        return {};
    return CompareWithDrive(*snapshot.cfg, snapshot.allHeld ? nullptr : &snapshot.held, acceptOtherModel, progress,
                            cancelled);
}

void CompareWorkflow::Show(const CompareResult &result)
{
    result_ = result;
    compared_ = result.outcome == CompareOutcome::Compared;
    ticked_.assign(result_.comparison.variables.size(), false);
}

std::vector<const ComparedVariable *> CompareWorkflow::Rows(bool all) const
{
    std::vector<const ComparedVariable *> rows;
    for (const ComparedVariable &v : result_.comparison.variables)
        if (all || v.Differs())
            rows.push_back(&v);
    return rows;
}

bool CompareWorkflow::Tickable(const ComparedVariable &v)
{
    return v.role != DownloadRole::DrivesOwn && v.difference != Difference::NotInDriveFamily;
}

void CompareWorkflow::SetTicked(const std::string &name, bool ticked)
{
    const auto &vars = result_.comparison.variables;
    for (size_t i = 0; i < vars.size(); ++i)
        if (CompareNames(vars[i].name, name) == 0 && Tickable(vars[i]))
            ticked_[i] = ticked;
}

bool CompareWorkflow::Ticked(const std::string &name) const
{
    const auto &vars = result_.comparison.variables;
    for (size_t i = 0; i < vars.size(); ++i)
        if (CompareNames(vars[i].name, name) == 0)
            return ticked_[i];
    return false;
}

void CompareWorkflow::TickRows(bool all, bool ticked)
{
    const auto &vars = result_.comparison.variables;
    for (size_t i = 0; i < vars.size(); ++i)
        if ((all || vars[i].Differs()) && Tickable(vars[i]))
            ticked_[i] = ticked;
}

std::vector<std::string> CompareWorkflow::TickedNames() const
{
    std::vector<std::string> names;
    const auto &vars = result_.comparison.variables;
    for (size_t i = 0; i < vars.size(); ++i)
        if (ticked_[i])
            names.push_back(vars[i].name);
    return names;
}

DownloadOutcome CompareWorkflow::Send(Session &session, Messages &messages, const Snapshot &snapshot,
                                      const std::vector<std::string> &names, DownloadOptions options,
                                      const ProgressFn &progress)
{
    if (!snapshot.cfg)
        return {};
    options.only = names;
    options.readControlMode = true;
    return DownloadToDrive(session, messages, *snapshot.cfg, options, progress);
}

std::vector<std::string> CompareWorkflow::Take()
{
    if (!cfg_ || !compared_)
        return {};
    std::vector<std::string> taken = TakeFromDrive(*cfg_, result_.comparison, TickedNames());
    if (taken.empty())
        return taken;
    takenSinceSave_ += static_cast<int>(taken.size());
    // A name taken is now held by the configuration, whatever the file lacked.
    for (const std::string &n : taken)
        if (std::none_of(held_.begin(), held_.end(), [&](const std::string &h) { return CompareNames(h, n) == 0; }))
            held_.push_back(n);
    const std::vector<std::string> stillTicked = TickedNames();
    result_.comparison = Compare(*cfg_, allHeld_ ? nullptr : &held_, result_.drive);
    ticked_.assign(result_.comparison.variables.size(), false);
    // What could not be taken stays ticked, so the user sees what is left.
    for (const std::string &n : stillTicked)
        if (std::none_of(taken.begin(), taken.end(), [&](const std::string &t) { return t == n; }))
            SetTicked(n, true);
    return taken;
}

bool CompareWorkflow::SaveFile()
{
    if (!own_)
        return false;
    const int model = TruncToInt(own_->Get("Model"));
    if (own_->Save(name_, model) == 0)
        return false;
    // Saving writes every variable of the family: the file now holds them all.
    held_.clear();
    allHeld_ = true;
    takenSinceSave_ = 0;
    if (compared_) {
        const std::vector<std::string> ticked = TickedNames();
        result_.comparison = Compare(*cfg_, nullptr, result_.drive);
        ticked_.assign(result_.comparison.variables.size(), false);
        for (const std::string &n : ticked)
            SetTicked(n, true);
    }
    return true;
}

void CompareWorkflow::Print(PrintCanvas &canvas, bool all, const ProgressFn &progress) const
{
    PrintComparison(canvas, result_.comparison, ComparisonTitle(name_, result_.comparison), all, progress);
}

} // namespace tools700
