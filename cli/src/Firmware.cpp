#include "Firmware.h"

#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "ProgressBar.h"
#include "tools700/common/Error.h"
#include "tools700/firmware/FWUpgrade.h"
#include "TerminalMessages.h"

namespace tools700::cli {

int Firmware(const FirmwareOptions &options, Messages &messages, FILE *out, FILE *err)
{
    firmware::FWFuns image;
    std::uint32_t sum = 0;
    try {
        sum = image.LoadImage(options.file);
    } catch (const Error &e) {
        std::fprintf(err, "%s\n", ErrorBoxText(e.what()).c_str());
        return kFileError;
    }
    if (!options.quiet)
        std::fprintf(out, "%s: %d bytes with ChkSum %u\n", options.file.c_str(), image.total - 4, sum);
    if (!messages.WarnYesNo(firmware::kSwitchesQuestion))
        return kDeclined;
    messages.Warning(firmware::kKeepPowerOn);

    firmware::FWUpgrade upgrade(image);
    upgrade.Start(options.eraseNv);
    ProgressBar bar(err, options.progress && !options.quiet, "Programming");
    bool erasing = false;
    while (upgrade.Running()) {
        const firmware::Phase phase = upgrade.Step();
        if (phase == firmware::Phase::Erasing && !erasing && upgrade.View().phaseText == firmware::kErasing) {
            erasing = true;
            if (!options.quiet)
                std::fprintf(out, "%s\n", firmware::kErasing);
        }
        if (phase == firmware::Phase::Programming && upgrade.View().progressMax > 0)
            bar(static_cast<double>(upgrade.View().progressPos) / upgrade.View().progressMax);
    }
    bar.Done();
    if (upgrade.GetPhase() != firmware::Phase::Finished) {
        std::fprintf(err, "%s\n", upgrade.Failure().c_str());
        return upgrade.Failure() == firmware::kCommunicationError ? kCommError : kRefused;
    }
    if (!options.quiet)
        std::fprintf(out, "%s: %ld segment%s\n", firmware::kFinished, upgrade.Segments(),
                     upgrade.Segments() == 1 ? "" : "s");
    return kOk;
}

// tools700-cli firmware FILE [--erase-nv]
int RunFirmware(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("firmware needs one image file");
    FirmwareOptions f;
    f.file = ctx.args.words[1];
    f.eraseNv = ctx.args.Has("--erase-nv");
    f.progress = ctx.progress;
    f.quiet = ctx.quiet;
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    return Firmware(f, term, ctx.out, ctx.err);
}

} // namespace tools700::cli
