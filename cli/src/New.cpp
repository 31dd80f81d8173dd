// tools700-cli new FILE --drive NAME --motor NAME --mode N [--ratio R]: a starting
// configuration computed as the wizard computes it, saved as a *.cfg file.
#include "Cli.h"
#include "Command.h"
#include "ExtensionFiles.h"
#include "ValueText.h"
#include "mdb700.h"
#include "tools700/common/NumberText.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Generator.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <cmath>
#include <memory>

namespace tools700::cli {

namespace {

// An operating mode given as its number or as its text, in any letter case.
int ParseMode(const std::string &text)
{
    if (auto n = numtext::Parse(text); n && *n == std::trunc(*n))
        return static_cast<int>(*n);
    for (const EnumEntry &e : *HasEnum("OpMode730"))
        if (CompareNames(e.text, text) == 0)
            return e.value;
    throw UsageError("unknown mode \"" + text + "\" (give 0..7 or a mode text)");
}

} // namespace

int RunNew(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("new needs a file name");
    const std::string drive = ctx.args.Text("--drive").value_or("");
    const std::string motor = ctx.args.Text("--motor").value_or("");
    const std::string modeText = ctx.args.Text("--mode").value_or("");
    if (drive.empty() || motor.empty() || modeText.empty())
        throw UsageError("new needs --drive, --motor and --mode");
    if (ddb_Exists(drive.c_str()) == 0.0) {
        std::fprintf(ctx.err, "Unknown drive \"%s\" (see: tools700-cli drives)\n", drive.c_str());
        return kUnknownName;
    }
    LoadExtensions(ctx);
    if (mdb_Exists(motor.c_str()) == 0) {
        std::fprintf(ctx.err, "Unknown motor \"%s\" (see: tools700-cli motors)\n", motor.c_str());
        return kUnknownName;
    }
    const int model = static_cast<int>(ddb_Number(drive.c_str()));
    const bool f740 = Is740Family(model);
    const int mode = ParseMode(modeText);
    if (EnumText(f740 ? "OpMode740" : "OpMode730", mode).empty()) {
        std::fprintf(ctx.err, "Mode %d is not an operating mode of %s\n", mode, ModelText(model).c_str());
        return kUnknownName;
    }
    const double ratio = ctx.args.Number("--ratio").value_or(0.0);
    if (!(ratio >= 0.0 && ratio <= 100.0))
        throw UsageError("the inertia ratio must be 0..100");
    std::unique_ptr<Cfg> cfg = f740 ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    FillDefaults(*cfg, motor, drive, mode, ratio, DefaultIoMap(f740, mode));
    // The wizard shows the values in bound edit boxes, which keep every editable number within
    // its bounds; value lists (enumerations, I/O maps) and read-only values are left as computed.
    for (TQX *t : cfg->ListForModel(model)) {
        const std::string &n = t->VarName();
        if (HasEnum(n) || Dictionary().IsReadOnly(n) || t->Check(t->Val()))
            continue;
        const double limited = t->Val() >= t->Min() ? t->Max() : t->Min();
        if (!ctx.quiet)
            std::fprintf(ctx.err, "%s %s limited to %s\n", n.c_str(), numtext::Shortest(t->Val()).c_str(),
                         numtext::Shortest(limited).c_str());
        t->Val(limited);
    }
    const int lines = cfg->Save(ctx.args.words[1], model);
    if (!ctx.quiet)
        std::fprintf(ctx.out, "%d variables for %s, motor %s, %s written to %s\n", lines,
                     ModelText(model).c_str(), motor.c_str(),
                     EnumText("OpMode730", mode).c_str(), ctx.args.words[1].c_str());
    return kOk;
}

} // namespace tools700::cli
