// tools700-cli upload FILE: the drive's configuration saved as a *.cfg file.
#include "CfgFiles.h"
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "TerminalMessages.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700::cli {

int RunUpload(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("upload needs a file name");
    const std::string file = ctx.args.words[1];
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    auto cfg = UploadFromDrive(ctx, term, "Upload  ");
    if (!cfg)
        return kCommError;
    const int model = TruncToInt(cfg->Get("Model"));
    const int lines = cfg->Save(file, model);
    if (lines == 0) {
        std::fprintf(ctx.err, "The file has not been saved properly (model %d belongs to no drive family)\n",
                     model);
        return kFileError;
    }
    if (!ctx.quiet)
        std::fprintf(ctx.out, "%d variables of %s written to %s\n", lines, ModelText(model).c_str(),
                     file.c_str());
    return kOk;
}

} // namespace tools700::cli
