// tools700-cli restore DIR [--axes LIST] [--nvsave] [--dry-run]: a backup folder written back
// into the drives of the line, each file through Download To Drive with its checks and
// questions; the NV save asked once for all (or done at once with --nvsave). --dry-run writes
// nothing and lists per drive the variables whose values differ from the backup's.
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "LineSupport.h"
#include "TerminalMessages.h"
#include "tools700/machine/Restore.h"

#include <algorithm>
#include <memory>

namespace tools700::cli {

namespace {

class RestorePrinter : public machine::RestoreObserver {
public:
    RestorePrinter(const Context &ctx, TerminalMessages &term, const CancelOnSignal &cancel)
        : ctx_(ctx), term_(term), cancel_(cancel)
    {
    }
    void DriveStarted(int axis, int index, int count) override
    {
        char label[32];
        std::snprintf(label, sizeof label, "Axis %3d", axis);
        progress_ = std::make_unique<LineProgress>(ctx_, label);
        // A question ends the bar's line before it is written.
        term_.SetBeforeOutput([this] { progress_->Done(); });
        progress_->Step("restore: axis " + std::to_string(axis) + " (" + std::to_string(index + 1) + " of " +
                        std::to_string(count) + ")");
    }
    void Progress(int, double drive, double) override { progress_->Fraction(drive); }
    void DriveDone(const machine::RestoreDrive &d) override
    {
        progress_->Result(d.ReportLine());
        for (const std::string &difference : d.differences)
            progress_->Result("    " + difference);
        term_.SetBeforeOutput({});
        progress_.reset();
    }
    bool Cancelled() override { return cancel_.Requested(); }

private:
    const Context &ctx_;
    TerminalMessages &term_;
    const CancelOnSignal &cancel_;
    std::unique_ptr<LineProgress> progress_;
};

// The exit code of one drive's outcome; the restore's is the first of these that occurs, in the
// order file error, no answer, refused, answered No, differences.
int ExitOf(const machine::RestoreDrive &d, bool declined)
{
    using enum machine::RestoreProblem;
    switch (d.problem) {
    case File:
        return kFileError;
    case NoDrive:
        return kCommError;
    case OtherModel:
    case NotInBackup:
        return kRefused;
    case Stopped:
        return declined ? kDeclined : kRefused;
    case None:
        break;
    }
    return d.outcome == machine::RestoreOutcome::Differs ? kDifferences : kOk;
}

} // namespace

int RunRestore(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("restore needs the backup folder");
    machine::RestoreOptions options;
    options.axes = AxesOption(ctx).value_or(std::vector<int> {});
    options.dryRun = ctx.args.Has("--dry-run");
    options.nvSave = ctx.args.Has("--nvsave") ? machine::RestoreNvSave::Always : machine::RestoreNvSave::AskOnce;
    const LinkChoice link = OpenLink(ctx);
    machine::DirectLineAccess access(link.axis);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    CancelOnSignal cancel;
    RestorePrinter printer(ctx, term, cancel);
    const machine::RestoreResult r = machine::RestoreLine(access, ctx.args.words[1], options, term, printer);
    if (!r.error.empty()) {
        std::fprintf(ctx.err, "%s\n", r.error.c_str());
        return kFileError;
    }
    if (!ctx.quiet) {
        using enum machine::RestoreOutcome;
        std::string summary;
        if (options.dryRun)
            summary = std::to_string(r.Count(Differs)) + " of " + std::to_string(r.drives.size()) +
                      " drives differ from the backup";
        else
            summary = std::to_string(r.Count(Restored)) + " of " + std::to_string(r.drives.size()) +
                      " drives restored";
        const auto saved = std::count_if(r.drives.begin(), r.drives.end(), [](const auto &d) { return d.saved; });
        if (saved)
            summary += ", " + std::to_string(saved) + " saved in NV memory";
        if (r.Count(Skipped))
            summary += ", " + std::to_string(r.Count(Skipped)) + " skipped";
        if (r.Count(Failed))
            summary += ", " + std::to_string(r.Count(Failed)) + " failed";
        if (r.cancelled)
            summary += ", cancelled";
        std::fprintf(ctx.out, "%s\n", summary.c_str());
    }
    if (r.cancelled)
        return kInterrupted;
    static constexpr int kOrder[] = {kFileError, kCommError, kRefused, kDeclined, kDifferences};
    for (int code : kOrder)
        for (const machine::RestoreDrive &d : r.drives)
            if (ExitOf(d, term.Declined()) == code)
                return code;
    return kOk;
}

} // namespace tools700::cli
