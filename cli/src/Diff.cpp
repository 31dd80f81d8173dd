// tools700-cli diff FILE [--pdf OUT.pdf [--full]]: the variables whose value in the file differs from the drive's, as the
// program's Compare window finds them.
#include "Cli.h"
#include "Command.h"
#include "DriveComparison.h"
#include "ValueText.h"
#include "tools700/config/PdfCanvas.h"
#include "tools700/config/StatusText.h"

namespace tools700::cli {

int RunDiff(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("diff needs a file name");
    const std::string pdf = ctx.args.Text("--pdf").value_or("");
    if (ctx.args.Has("--full") && pdf.empty())
        throw UsageError("--full prints every variable: it needs --pdf OUT.pdf");
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    const FileComparison compared = CompareFileWithDrive(ctx, term);
    if (compared.failure)
        return compared.failure;
    int differences = 0;
    for (const ComparedVariable &v : compared.result.comparison.variables) {
        const char *name = v.name.c_str();
        switch (v.difference) {
        case Difference::None:
            continue;
        case Difference::Value:
            std::fprintf(ctx.out, "%s: file %s, drive %s\n", name, ValueWithText(v.name, v.fileValue).c_str(),
                         ValueWithText(v.name, v.driveValue).c_str());
            break;
        case Difference::NotInDriveFamily:
            std::fprintf(ctx.out, "%s: file %s, not a variable of the drive's family\n", name,
                         ValueWithText(v.name, v.fileValue).c_str());
            break;
        case Difference::NotInFile:
            std::fprintf(ctx.out, "%s: not in the file, drive %s\n", name, ValueWithText(v.name, v.driveValue).c_str());
            break;
        case Difference::NotReadable:
            std::fprintf(ctx.out, "%s: file %s, drive not readable (%s)\n", name,
                         v.inFile ? ValueWithText(v.name, v.fileValue).c_str() : "-",
                         StatusText(v.driveStatus).c_str());
            break;
        }
        ++differences;
    }
    if (!pdf.empty()) {
        const Comparison &c = compared.result.comparison;
        PdfCanvas canvas(pdf);
        PrintComparison(canvas, c, ComparisonTitle(ctx.args.words[1], c), ctx.args.Has("--full"));
        if (!ctx.quiet)
            std::fprintf(ctx.err, "%d pages written to %s\n", canvas.Pages(), pdf.c_str());
    }
    return differences ? kDifferences : kOk;
}

} // namespace tools700::cli
