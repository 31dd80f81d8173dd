// tools700-cli backup DIR [--axes LIST]: the drives of the line (those a scan of 1..32 finds,
// or the axes given) uploaded into the folder DIR, one *.cfg file each and a manifest.
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "LineSupport.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/machine/AxisList.h"
#include "tools700/machine/Backup.h"
#include "tools700/machine/LineScan.h"

#include <memory>

namespace tools700::cli {

namespace {

class BackupPrinter : public machine::BackupObserver {
public:
    BackupPrinter(const Context &ctx, const CancelOnSignal &cancel) : ctx_(ctx), cancel_(cancel) {}
    void DriveStarted(int axis, int index, int count) override
    {
        char label[32];
        std::snprintf(label, sizeof label, "Axis %3d", axis);
        progress_ = std::make_unique<LineProgress>(ctx_, label);
        progress_->Step("backup: axis " + std::to_string(axis) + " (" + std::to_string(index + 1) + " of " +
                        std::to_string(count) + ")");
    }
    void Progress(int, double drive, double) override
    {
        if (progress_)
            progress_->Fraction(drive);
    }
    void DriveDone(const machine::ManifestDrive &d) override
    {
        const std::string head = "axis " + std::to_string(d.axis) + (d.model ? " " + ModelText(d.model) : "") + ": ";
        progress_->Result(head + (d.BackedUp() ? d.file : "failed, " + d.reason));
        progress_.reset();
    }
    bool Cancelled() override { return cancel_.Requested(); }

private:
    const Context &ctx_;
    const CancelOnSignal &cancel_;
    std::unique_ptr<LineProgress> progress_;
};

class QuietScan : public machine::ScanObserver {
public:
    QuietScan(LineProgress &progress, const CancelOnSignal &cancel) : progress_(progress), cancel_(cancel) {}
    void Progress(int done, int total) override { progress_.Fraction(static_cast<double>(done) / total); }
    bool Cancelled() override { return cancel_.Requested(); }

private:
    LineProgress &progress_;
    const CancelOnSignal &cancel_;
};

} // namespace

int RunBackup(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("backup needs the folder to write into");
    const std::string folder = ctx.args.words[1];
    const auto given = AxesOption(ctx);
    const LinkChoice link = OpenLink(ctx);
    machine::DirectLineAccess access(link.axis);
    CancelOnSignal cancel;
    std::vector<int> axes;
    if (given) {
        axes = *given;
    } else {
        // Every drive a scan finds; an address conflict cannot be backed up.
        LineProgress progress(ctx, "Scanning");
        progress.Step("backup: scanning axes " + machine::AxisListText(machine::DefaultScanAxes()));
        QuietScan observer(progress, cancel);
        const machine::ScanResult scan = machine::ScanLine(access, machine::DefaultScanAxes(), observer);
        progress.Done();
        if (scan.cancelled)
            return kInterrupted;
        for (int axis : scan.conflicts)
            std::fprintf(ctx.err, "axis %d: address conflict (more than one drive answers), not backed up\n", axis);
        for (const machine::DriveSummary &d : scan.drives)
            axes.push_back(d.axis);
        if (axes.empty()) {
            std::fprintf(ctx.err, "No drive answers on axes %s; nothing was backed up\n",
                         machine::AxisListText(machine::DefaultScanAxes()).c_str());
            return kCommError;
        }
    }
    BackupPrinter printer(ctx, cancel);
    const machine::BackupResult r = machine::BackupLine(access, folder, axes, link.port, printer);
    if (!r.error.empty()) {
        std::fprintf(ctx.err, "%s\n", r.error.c_str());
        return kFileError;
    }
    if (!ctx.quiet)
        std::fprintf(ctx.out, "%d of %zu drives backed up into %s (%s)%s\n", r.backedUp, axes.size(),
                     folder.c_str(), machine::kManifestName, r.cancelled ? ", cancelled" : "");
    if (r.cancelled)
        return kInterrupted;
    return r.failed > 0 ? kCommError : kOk;
}

} // namespace tools700::cli
