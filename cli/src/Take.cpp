// tools700-cli take FILE [NAME...]: copies the drive's values that differ from the file's (or
// those of the variables named) into the file.
#include "Cli.h"
#include "Command.h"
#include "DriveComparison.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700::cli {

int RunTake(Context &ctx)
{
    if (ctx.Operands() < 1)
        throw UsageError("take needs a file name");
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    FileComparison compared = CompareFileWithDrive(ctx, term);
    if (compared.failure)
        return compared.failure;
    const std::vector<std::string> names = ChosenVariables(ctx, compared.result.comparison, true);
    Cfg &cfg = *compared.file.cfg;
    const std::vector<std::string> taken = TakeFromDrive(cfg, compared.result.comparison, names);
    if (taken.empty()) {
        if (!ctx.quiet)
            std::fprintf(ctx.out, "Nothing to take: the file holds the drive's values\n");
        return kOk;
    }
    const std::string &file = ctx.args.words[1];
    const int model = TruncToInt(cfg.Get("Model"));
    if (cfg.Save(file, model) == 0) {
        std::fprintf(ctx.err, "The file has not been saved properly (model %d belongs to no drive family)\n", model);
        return kFileError;
    }
    if (!ctx.quiet)
        std::fprintf(ctx.out, "%zu taken from the drive into %s: %s\n", taken.size(), file.c_str(),
                     JoinedNames(taken).c_str());
    return kOk;
}

} // namespace tools700::cli
