// tools700-cli print FILE --pdf OUT.pdf [--full]: the printed listing as a PDF file.
#include "CfgFiles.h"
#include "Cli.h"
#include "Command.h"
#include "ProgressBar.h"
#include "tools700/config/PdfCanvas.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700::cli {

int RunPrint(Context &ctx)
{
    const std::string pdf = ctx.args.Text("--pdf").value_or("");
    if (ctx.Operands() != 1 || pdf.empty())
        throw UsageError("print needs a file name and --pdf OUT.pdf");
    auto cfg = LoadCfgFile(ctx.args.words[1]);
    PdfCanvas canvas(pdf);
    ProgressBar bar(ctx.err, ctx.progress && !ctx.quiet, "Printing");
    cfg->Print(canvas, ctx.args.words[1], ctx.args.Has("--full"), [&](double f) { bar(f); },
               TruncToInt(cfg->Get("Model")));
    bar.Done();
    if (!ctx.quiet)
        std::fprintf(ctx.out, "%d pages written to %s\n", canvas.Pages(), pdf.c_str());
    return kOk;
}

} // namespace tools700::cli
