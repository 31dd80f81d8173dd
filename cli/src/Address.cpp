// tools700-cli address NEW [--nvsave]: gives the drive at the current axis the address NEW,
// reads it back there and stores it in the drive's non-volatile memory when asked (or at once
// with --nvsave).
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "TerminalMessages.h"
#include "tools700/machine/AddressChange.h"

namespace tools700::cli {

int RunAddress(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("address needs the new address");
    const int to = ParseInt(ctx.args.words[1], "the new address");
    if (to < machine::kFirstDriveAddress || to > machine::kLastDriveAddress)
        throw UsageError("the new address must be 1..254 (255 is the automatic axis), not " + ctx.args.words[1]);
    const LinkChoice link = OpenLink(ctx);
    machine::DirectLineAccess access(link.axis);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    const auto r = machine::ChangeDriveAddress(access, link.axis, to,
                                            ctx.args.Has("--nvsave") ? machine::NvSaveChoice::Always : machine::NvSaveChoice::Ask,
                                            term);
    using enum machine::AddressOutcome;
    switch (r.outcome) {
    case Changed:
        if (!ctx.quiet)
            std::fprintf(ctx.out, "%s\n", r.message.c_str());
        return r.saveFailed ? kRefused : kOk;
    case BadAddress:
        std::fprintf(ctx.err, "%s\n", r.message.c_str());
        return kUsage;
    case Taken:
    case Refused:
        std::fprintf(ctx.err, "%s\n", r.message.c_str());
        return kRefused;
    case NoDrive:
    case LostAtNew:
    case LineFailed:
        break;
    }
    std::fprintf(ctx.err, "%s\n", r.message.c_str());
    return kCommError;
}

} // namespace tools700::cli
