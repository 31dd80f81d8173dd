// tools700-cli motors [--long]: the motor database, extension motors first.
#include "Cli.h"
#include "Command.h"
#include "ExtensionFiles.h"
#include "mdb700.h"
#include "tools700/common/NumberText.h"

namespace tools700::cli {

int RunMotors(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("motors takes no operands");
    LoadExtensions(ctx);
    const bool longList = ctx.args.Has("--long");
    char name[16];
    for (char *n = mdb_FirstName(name); n; n = mdb_NextName(name)) {
        if (longList)
            std::fprintf(ctx.out, "%-9s %-7s Ke %-10s ICS %-8s poles %-3s inertia %s\n", name,
                         mdb_Type(name) == 0.0 ? "rotary" : "linear", numtext::Shortest(mdb_Ke(name)).c_str(),
                         numtext::Shortest(mdb_ICS(name)).c_str(), numtext::Shortest(mdb_PoleCount(name)).c_str(),
                         numtext::Shortest(mdb_Inertia(name)).c_str());
        else
            std::fprintf(ctx.out, "%s\n", name);
    }
    return kOk;
}

} // namespace tools700::cli
