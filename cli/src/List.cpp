// tools700-cli list FILE [--full] [--rows N]: the printed listing of a configuration as text.
#include "CfgFiles.h"
#include "Cli.h"
#include "Command.h"
#include "tools700/config/TextCanvas.h"
#include "tools700/dictionary/DriveFamily.h"

#include <sstream>

namespace tools700::cli {

int RunList(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("list needs a file name");
    auto cfg = LoadCfgFile(ctx.args.words[1]);
    const int rows = ctx.args.Integer("--rows").value_or(66);
    if (rows < 5)
        throw UsageError("--rows must be at least 5");
    std::ostringstream text;
    TextCanvas canvas(text, rows);
    cfg->Print(canvas, ctx.args.words[1], ctx.args.Has("--full"), {}, TruncToInt(cfg->Get("Model")));
    std::fputs(text.str().c_str(), ctx.out);
    return kOk;
}

} // namespace tools700::cli
