// tools700-cli send FILE [NAME...] [--nvsave]: writes only the file's values that differ from the
// drive's (or the variables named) through the download's checks, order and questions.
#include "Cli.h"
#include "Command.h"
#include "DriveComparison.h"
#include "ProgressBar.h"
#include "RecordingMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/DownloadToDrive.h"

#include <algorithm>

namespace tools700::cli {

int RunSend(Context &ctx)
{
    if (ctx.Operands() < 1)
        throw UsageError("send needs a file name");
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    const FileComparison compared = CompareFileWithDrive(ctx, term);
    if (compared.failure)
        return compared.failure;
    const std::vector<std::string> names = ChosenVariables(ctx, compared.result.comparison, false);
    if (names.empty()) {
        if (!ctx.quiet)
            std::fprintf(ctx.out, "Nothing to send: the drive holds the file's values\n");
        return kOk;
    }
    if (!ctx.quiet)
        std::fprintf(ctx.out, "Sending %s\n", JoinedNames(names).c_str());

    Session session; // no main window: nothing known of the drive beforehand, so it is asked
    DownloadOptions options;
    options.only = names;
    options.readControlMode = true;
    options.changeCommunication = [] { return false; }; // a terminal has no port dialog
    if (ctx.args.Has("--nvsave"))
        options.saveToNv = true;
    RecordingMessages rec(term);
    DownloadOutcome outcome;
    {
        ProgressBar bar(ctx.err, ctx.progress && !ctx.quiet, "Sending ");
        term.SetBeforeOutput([&] { bar.Done(); });
        outcome = DownloadToDrive(session, rec, *compared.file.cfg, options, [&](double f) { bar(f); });
        term.SetBeforeOutput({});
    }
    if (!outcome.downloaded) {
        const auto &texts = rec.texts;
        if (!texts.empty() && (texts.front() == "Comm error?" || texts.front().rfind("Can't communicate", 0) == 0))
            return kCommError;
        return rec.declined ? kDeclined : kRefused;
    }
    const bool nvFailed =
        std::find(rec.texts.begin(), rec.texts.end(), "Unable to complete NVSAVE operation") != rec.texts.end();
    if (!ctx.quiet)
        std::fprintf(ctx.out, "%zu sent%s\n", names.size(), outcome.savedToNv ? " and saved to NV ram" : "");
    return nvFailed ? kRefused : kOk;
}

} // namespace tools700::cli
