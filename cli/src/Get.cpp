// tools700-cli get NAME...: reads variables and prints "Name = value (value text) unit".
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "ValueText.h"
#include "comm700.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

namespace tools700::cli {

int RunGet(Context &ctx)
{
    if (ctx.Operands() < 1)
        throw UsageError("get needs at least one variable name");
    OpenLink(ctx);
    int rc = kOk;
    for (size_t i = 1; i < ctx.args.words.size(); ++i) {
        const std::string name = Dictionary().CanonicalName(ctx.args.words[i]);
        double v = 0;
        const int st = GetVar700(name.c_str(), &v);
        if (st != 0) {
            std::fprintf(ctx.err, "%s: %s\n", name.c_str(), StatusText(st).c_str());
            if (rc == kOk)
                rc = ExitForStatus(st);
            continue;
        }
        std::string unit = UnitText(name, nullptr);
        std::fprintf(ctx.out, "%s = %s%s%s\n", name.c_str(), ValueWithText(name, v).c_str(),
                     unit.empty() ? "" : " ", unit.c_str());
    }
    return rc;
}

} // namespace tools700::cli
