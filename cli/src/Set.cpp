// tools700-cli set NAME VALUE: writes a variable; the value a number or one of its value texts.
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "comm700.h"
#include "tools700/common/NumberText.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

namespace tools700::cli {

int RunSet(Context &ctx)
{
    if (ctx.Operands() != 2)
        throw UsageError("set needs a variable name and a value");
    const std::string name = Dictionary().CanonicalName(ctx.args.words[1]);
    const std::string &text = ctx.args.words[2];
    double value = 0;
    if (auto n = numtext::Parse(text)) {
        value = *n;
    } else if (const EnumTable *t = HasEnum(name)) {
        bool found = false;
        for (const EnumEntry &e : *t)
            if (CompareNames(e.text, text) == 0) {
                value = e.value;
                found = true;
                break;
            }
        if (!found)
            throw UsageError("\"" + text + "\" is neither a number nor a value text of " + name);
    } else {
        throw UsageError("\"" + text + "\" is not a number");
    }
    OpenLink(ctx);
    const int st = PutVar700(name.c_str(), value);
    if (st != 0) {
        std::fprintf(ctx.err, "%s: %s\n", name.c_str(), VarStatusText(st, name).c_str());
        return ExitForStatus(st);
    }
    return kOk;
}

} // namespace tools700::cli
