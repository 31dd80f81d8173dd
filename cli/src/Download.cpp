// tools700-cli download FILE [--nvsave]: writes a configuration file into the drive, as the
// program's save window does, and stores it in the drive's non-volatile memory when asked.
#include "CfgFiles.h"
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "ProgressBar.h"
#include "RecordingMessages.h"
#include "TerminalMessages.h"
#include "comm700.h"
#include "tools700/dictionary/DriveFamily.h"

#include <string>
#include <vector>

namespace tools700::cli {

int RunDownload(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("download needs a file name");
    int read = 0;
    auto cfg = LoadCfgFile(ctx.args.words[1], &read);
    if (read == 0) {
        // An empty file, or one of comments only, would write the dictionary's defaults over
        // the drive's whole configuration.
        std::fprintf(ctx.err, "%s: no value could be read from this file, nothing was downloaded\n",
                     ctx.args.words[1].c_str());
        return kFileError;
    }
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    double axis = 0;
    if (GetVar700("AxisAddr", &axis) != 0) {
        term.Message("Can't communicate with the drive!");
        return kCommError;
    }
    double model = 0;
    double lock = 0;
    if (GetVar700("Model", &model) == 0 && Is740Family(TruncToInt(model)) && GetVar700("MfgLock", &lock) == 0 &&
        lock == 0) {
        // As the program's save window: a drive under fieldbus control is not written.
        term.Message("The drive is in SERCOS Control Mode -- download aborted.\nHand it to serial control "
                     "first: the Serial/SERCOS switch of Tools700's main window, or, with the drive "
                     "disabled, tools700-cli set MfgLock 584219637");
        return kRefused;
    }
    double enabled = 0;
    if (GetVar700("Enabled", &enabled) == 0 && enabled == 1.0) {
        term.Message("The drive is enabled and unabled to write to drive now-- download aborted");
        return kRefused;
    }
    RecordingMessages rec(term);
    bool ok;
    {
        ProgressBar bar(ctx.err, ctx.progress && !ctx.quiet, "Download");
        term.SetBeforeOutput([&] { bar.Done(); });
        ok = cfg->Download(rec, [&](double f) { bar(f); });
        if (ok)
            bar(1.0); // the last write reports (N - 1) / N; the transfer is complete now
        term.SetBeforeOutput({});
    }
    if (!ok) {
        term.Message("Unable to write to drive -- download aborted");
        if (!rec.texts.empty() && rec.texts.front() == "Comm error?")
            return kCommError;
        return rec.declined ? kDeclined : kRefused;
    }
    bool save = ctx.args.Has("--nvsave");
    if (!save)
        save = term.Confirm("Your configuration has been downloaded.\n\nDo you want to have it saved in the drive's\n"
                            "non-volatile memory?\n\n(If you answer 'NO', the changes will be lost\n"
                            "when the drive is powered down.)\n");
    if (save) {
        if (ExeCmd700("NVSave") != 0) {
            term.Message("Unable to complete NVSAVE operation");
            return kRefused;
        }
        if (!ctx.quiet)
            std::fprintf(ctx.out, "Downloaded and saved to NV ram\n");
    } else if (!ctx.quiet) {
        std::fprintf(ctx.out, "Downloaded\n");
    }
    return kOk;
}

} // namespace tools700::cli
