// The Compare window's workflow apart from its widgets: the configuration compared (the one being
// edited, or one read from a configuration file), the last comparison with the drive, the tick of
// each row, and what Send to Drive and Take from Drive do.
//
// The drive work (reading the drive, sending) runs on a worker thread with a snapshot of the
// configuration made on the window's thread, and gives its result back by value; the workflow
// itself is only touched on the window's thread.
#pragma once

#include "tools700/config/Cfg.h"
#include "tools700/config/Comparison.h"
#include "tools700/config/DownloadToDrive.h"

#include <memory>
#include <string>
#include <vector>

namespace tools700 {

class Messages;
class PrintCanvas;
class Session;

class CompareWorkflow {
public:
    // The configuration being edited (not owned): Take from Drive changes it.
    void OpenConfiguration(Cfg &cfg, const std::string &name);
    // A configuration file, read here into a configuration of its family (the file errors are
    // raised). Take from Drive changes this copy; SaveFile() writes it back.
    void OpenFile(const std::string &path);

    const std::string &Name() const { return name_; }
    bool FromFile() const { return own_ != nullptr; }
    Cfg *Configuration() const { return cfg_; }

    // What the drive work needs, copied on the window's thread.
    struct Snapshot {
        std::shared_ptr<Cfg> cfg;
        std::vector<std::string> held; // the names the file holds (every name for an edited configuration)
        bool allHeld = true;
    };
    Snapshot MakeSnapshot() const;

    // On the worker: reads the drive and compares. `acceptOtherModel` is asked with the warning
    // naming both models (see CompareWithDrive).
    static CompareResult Read(const Snapshot &snapshot, const std::function<bool(const std::string &)> &acceptOtherModel,
                              const ProgressFn &progress = {}, const CancelFn &cancelled = {});
    // On the window's thread: the result of Read becomes what the window shows; every tick is
    // cleared.
    void Show(const CompareResult &result);
    bool Compared() const { return compared_; }
    const Comparison &Current() const { return result_.comparison; }
    CompareOutcome Outcome() const { return result_.outcome; }

    // The rows shown: the differences, or every variable.
    std::vector<const ComparedVariable *> Rows(bool all) const;
    // A row can be ticked unless it is the drive's own (Model) or not a variable of the drive's
    // family: neither can go to the drive or come from it.
    static bool Tickable(const ComparedVariable &v);
    void SetTicked(const std::string &name, bool ticked);
    bool Ticked(const std::string &name) const;
    // Ticks or unticks every tickable row shown.
    void TickRows(bool all, bool ticked);
    // The ticked variables in the table's order.
    std::vector<std::string> TickedNames() const;

    // On the worker: "Download To Drive" restricted to `names`, with its checks and questions and
    // the drive's control mode read first.
    static DownloadOutcome Send(Session &session, Messages &messages, const Snapshot &snapshot,
                                const std::vector<std::string> &names, DownloadOptions options,
                                const ProgressFn &progress = {});

    // The ticked drive values into the configuration (those without a drive value are left);
    // the table is compared again from the same readings. Returns the names taken.
    std::vector<std::string> Take();
    // Values taken since the configuration was opened or the file last saved.
    int TakenSinceSave() const { return takenSinceSave_; }
    // The file with the values taken (FromFile only); true when it was written.
    bool SaveFile();

    // The printout of the rows shown.
    void Print(PrintCanvas &canvas, bool all, const ProgressFn &progress = {}) const;

private:
    std::unique_ptr<Cfg> own_;  // the file's configuration
    Cfg *cfg_ = nullptr;
    std::string name_;
    std::vector<std::string> held_;
    bool allHeld_ = true;
    bool compared_ = false;
    CompareResult result_;
    std::vector<bool> ticked_; // per row of result_.comparison.variables
    int takenSinceSave_ = 0;
};

} // namespace tools700
