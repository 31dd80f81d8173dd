// tools700-cli drives: the drive model table.
#include "Cli.h"
#include "Command.h"
#include "mdb700.h"
#include "tools700/common/NumberText.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700::cli {

int RunDrives(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("drives takes no operands");
    char name[16];
    for (int i = 0;; ++i) {
        ddb_Name(i, name);
        if (name[0] == '\0')
            break;
        const int number = static_cast<int>(ddb_Number(name));
        std::fprintf(ctx.out, "%-7s %5d  %s family  IPeak %s A  bus %s V\n", name, number,
                     Is740Family(number) ? "740" : "730", numtext::Shortest(ddb_IPeak(name)).c_str(),
                     numtext::Shortest(ddb_BusVoltage(name)).c_str());
    }
    return kOk;
}

} // namespace tools700::cli
