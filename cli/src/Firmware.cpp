#include "Firmware.h"

#include "Cli.h"
#include "ProgressBar.h"
#include "tools700/Error.h"
#include "tools700/firmware/FWUpgrade.h"

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

} // namespace tools700::cli
