// tools700-cli sweep FILE [--channel 1|2] [--command 1|2 | --own-levels] [--frame N]: the step
// figures of a sweep saved as CSV (by the scope window, `tools700-cli scope` or the sweep
// analysis), as the analysis window shows them.
#include "Cli.h"
#include "Command.h"
#include "tools700/analysis/FigureTexts.h"
#include "tools700/analysis/StepFigures.h"
#include "tools700/analysis/SweepFile.h"

namespace tools700::cli {

int RunSweep(Context &ctx)
{
    if (ctx.Operands() != 1)
        throw UsageError("sweep takes one file");
    const int channel = ctx.args.Integer("--channel").value_or(2);
    const int other = channel == 1 ? 2 : 1;
    const int command = ctx.args.Integer("--command").value_or(other);
    if (command == channel)
        throw UsageError("--command must name the other channel than --channel");
    const bool ownLevels = ctx.args.Has("--own-levels");
    if (ownLevels && ctx.args.Has("--command"))
        throw UsageError("--command and --own-levels exclude each other");

    const std::string &path = ctx.args.words[1];
    std::string error;
    const auto file = analysis::ReadSweepFile(path, error);
    if (!file) {
        std::fprintf(ctx.err, "%s\n", error.c_str());
        return kUsage;
    }
    const int frames = static_cast<int>(file->frames.size());
    const int frame = ctx.args.Integer("--frame").value_or(frames);
    if (frame < 1 || frame > frames) {
        std::fprintf(ctx.err, "%s holds frame%s 1%s; there is no frame %d\n", path.c_str(), frames > 1 ? "s" : "",
                     frames > 1 ? (".." + std::to_string(frames)).c_str() : "", frame);
        return kUsage;
    }
    const Sweep &sweep = file->frames[static_cast<std::size_t>(frame - 1)];
    const SweepChannel &response = sweep.Channel(channel), &against = sweep.Channel(command);
    const analysis::StepFigures figures = analysis::ComputeStepFigures(
        sweep.seconds, response.values, ownLevels ? nullptr : &against.values);
    if (!ctx.quiet) {
        std::fprintf(ctx.out, "%s, frame %d of %d: %zu samples", path.c_str(), frame, frames, sweep.size());
        if (sweep.timebaseMs > 0)
            std::fprintf(ctx.out, ", %.15g ms per sample", sweep.timebaseMs);
        std::fprintf(ctx.out, "\nStep figures of Ch%d %s (%s) against %s\n", channel, response.signal.c_str(),
                     response.unit.c_str(),
                     ownLevels ? "its own start and end levels"
                               : ("Ch" + std::to_string(command) + " " + against.signal + " as command").c_str());
    }
    for (const std::string &line : analysis::FigureLines(figures, response.unit))
        std::fprintf(ctx.out, "%s\n", line.c_str());
    return figures.isStep ? kOk : kNotAStep;
}

} // namespace tools700::cli
