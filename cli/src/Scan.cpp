// tools700-cli scan [--axes LIST]: the drives on the line, a row for each as it answers, and the
// addresses more than one drive answers (an address conflict).
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "LineSupport.h"
#include "tools700/config/StatusText.h"
#include "tools700/machine/AxisList.h"
#include "tools700/machine/LineScan.h"

#include <cstdio>

namespace tools700::cli {

namespace {

// The table's columns: axis, drive, firmware and hardware versions, mode, control, status.
constexpr const char *kRow = "%4s  %-7s %-4s %-3s %-35s %-20s %s";

std::string OrDash(const std::string &text) { return text.empty() ? "-" : text; }

class ScanPrinter : public machine::ScanObserver {
public:
    ScanPrinter(LineProgress &progress, const CancelOnSignal &cancel) : progress_(progress), cancel_(cancel) {}
    void DriveFound(const machine::DriveSummary &d) override
    {
        char row[512];
        std::snprintf(row, sizeof row, kRow, std::to_string(d.axis).c_str(), OrDash(d.ModelName()).c_str(),
                      std::to_string(d.firmware).c_str(), std::to_string(d.hardware).c_str(), OrDash(d.OperatingModeText()).c_str(),
                      OrDash(d.ControlModeText()).c_str(), d.StateText().c_str());
        progress_.Result(row);
    }
    void ConflictFound(int axis) override
    {
        char row[128];
        std::snprintf(row, sizeof row, "%4d  address conflict: more than one drive answers at this address", axis);
        progress_.Result(row);
    }
    void Progress(int done, int total) override
    {
        progress_.Fraction(static_cast<double>(done) / total);
        if (done % 8 == 0 || done == total)
            progress_.Step("scan: " + std::to_string(done) + " of " + std::to_string(total) + " addresses asked");
    }
    bool Cancelled() override { return cancel_.Requested(); }

private:
    LineProgress &progress_;
    const CancelOnSignal &cancel_;
};

} // namespace

int RunScan(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("scan takes no operands");
    const std::vector<int> axes = AxesOption(ctx).value_or(machine::DefaultScanAxes());
    const LinkChoice link = OpenLink(ctx);
    machine::DirectLineAccess access(link.axis);
    CancelOnSignal cancel;
    LineProgress progress(ctx, "Scanning");
    ScanPrinter printer(progress, cancel);
    char header[128];
    std::snprintf(header, sizeof header, kRow, "Axis", "Drive", "FW", "HW", "Mode", "Control", "Status");
    progress.Result(header);
    const machine::ScanResult r = machine::ScanLine(access, axes, printer);
    progress.Done();
    const std::string where = "on axes " + machine::AxisListText(axes);
    if (r.lineFailed) {
        std::fprintf(ctx.err, "The scan stopped: %s\n",
                     r.lineStatus ? StatusText(r.lineStatus).c_str() : "the axis could not be selected");
        return kCommError;
    }
    if (!ctx.quiet) {
        std::string summary = std::to_string(r.drives.size()) + (r.drives.size() == 1 ? " drive " : " drives ") + where;
        if (!r.conflicts.empty())
            summary += ", " + std::to_string(r.conflicts.size()) +
                       (r.conflicts.size() == 1 ? " address conflict" : " address conflicts");
        if (r.cancelled)
            summary += " (cancelled after " + std::to_string(r.asked) + " addresses)";
        std::fprintf(ctx.out, "%s\n", summary.c_str());
    }
    if (r.cancelled)
        return kInterrupted;
    if (r.drives.empty()) {
        std::fprintf(ctx.err, "No drive answers %s\n", where.c_str());
        return kCommError;
    }
    return kOk;
}

} // namespace tools700::cli
