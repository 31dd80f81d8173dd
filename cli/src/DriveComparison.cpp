#include "DriveComparison.h"

#include "Cli.h"
#include "DriveLink.h"
#include "ProgressBar.h"
#include "tools700/config/StatusText.h"

namespace tools700::cli {

FileComparison CompareFileWithDrive(const Context &ctx, TerminalMessages &term)
{
    FileComparison out;
    out.file = LoadCfgOfItsFamily(ctx.args.words[1]);
    OpenLink(ctx);
    {
        ProgressBar bar(ctx.err, ctx.progress && !ctx.quiet, "Reading ");
        // Another model is compared all the same, after the warning: the differences are what
        // the user wants to see; only sending them is refused.
        out.result = CompareWithDrive(
            *out.file.cfg, &out.file.names,
            [&](const std::string &warning) {
                bar.Done();
                std::fprintf(ctx.err, "Warning: %s\n", warning.c_str());
                return true;
            },
            [&](double f) { bar(f); });
        bar.Done();
    }
    if (out.result.outcome != CompareOutcome::Compared) {
        term.Message("Comm error?");
        out.failure = kCommError;
        return out;
    }
    // A line that failed part way leaves no comparison worth using.
    for (const VariableReading &r : out.result.drive.values)
        if (IsLineFailure(r.status)) {
            term.Message("Upload failed, trying to read " + r.name);
            out.failure = kCommError;
            break;
        }
    return out;
}

std::vector<std::string> ChosenVariables(const Context &ctx, const Comparison &comparison, bool withMissing)
{
    std::vector<std::string> names;
    for (size_t i = 2; i < ctx.args.words.size(); ++i) {
        const ComparedVariable *v = comparison.Find(ctx.args.words[i]);
        if (!v)
            throw UsageError("\"" + ctx.args.words[i] + "\" is not a configuration variable of the file or the drive");
        names.push_back(v->name);
    }
    if (ctx.Operands() > 1)
        return names;
    for (const ComparedVariable &v : comparison.variables)
        if (v.difference == Difference::Value || (withMissing && v.difference == Difference::NotInFile))
            names.push_back(v.name);
    return names;
}

std::string JoinedNames(const std::vector<std::string> &names)
{
    std::string out;
    for (const std::string &n : names)
        out += (out.empty() ? "" : ", ") + n;
    return out;
}

} // namespace tools700::cli
