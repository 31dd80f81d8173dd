// tools700-cli diff FILE: the variables whose value in the file differs from the drive's.
#include "CfgFiles.h"
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "TerminalMessages.h"
#include "ValueText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Symtab.h"

#include <cmath>

namespace tools700::cli {

namespace {

// Whether the drive holds what downloading the file's value would give it: integers are sent
// truncated, reals as 32-bit floats.
bool SameOnDrive(const std::string &name, double fileValue, double driveValue)
{
    if (Dictionary().IsInteger(name))
        return std::trunc(fileValue) == std::trunc(driveValue);
    return static_cast<float>(fileValue) == static_cast<float>(driveValue);
}

} // namespace

int RunDiff(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("diff needs a file name");
    auto file = LoadCfgFile(ctx.args.words[1]);
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    auto driveCfg = UploadFromDrive(ctx, term, "Reading ");
    if (!driveCfg)
        return kCommError;
    const Cfg &drive = *driveCfg;
    int differences = 0;
    for (TQX *t : file->ListForModel(TruncToInt(file->Get("Model")))) {
        const std::string &name = t->VarName();
        if (!drive.Find(name)) {
            std::fprintf(ctx.out, "%s: file %s, not a variable of the drive's family\n", name.c_str(),
                         ValueWithText(name, t->Val()).c_str());
            ++differences;
            continue;
        }
        const double dv = drive.Get(name);
        if (!SameOnDrive(name, t->Val(), dv)) {
            std::fprintf(ctx.out, "%s: file %s, drive %s\n", name.c_str(),
                         ValueWithText(name, t->Val()).c_str(), ValueWithText(name, dv).c_str());
            ++differences;
        }
    }
    return differences ? kDifferences : kOk;
}

} // namespace tools700::cli
