// tools700-cli exec COMMAND: runs a drive command (NVSave, TableGen, ...).
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "comm700.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Symtab.h"

namespace tools700::cli {

int RunExec(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("exec needs one command name");
    const std::string name = Dictionary().CanonicalName(ctx.args.words[1]);
    OpenLink(ctx);
    const int st = ExeCmd700(name.c_str());
    if (st != 0) {
        std::fprintf(ctx.err, "%s: %s\n", name.c_str(), StatusText(st).c_str());
        return ExitForStatus(st);
    }
    return kOk;
}

} // namespace tools700::cli
