#include "Scope.h"

#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "tools700/config/StatusText.h"
#include "tools700/names/Names.h"
#include "tools700/scope/DataPump.h"
#include "tools700/scope/ScopeChart.h"
#include "tools700/scope/TScope.h"

#include <chrono>
#include <cmath>

namespace tools700::cli {

namespace {

bool IsSignal(const std::string &name)
{
    for (const scope::SignalRecord &s : scope::kSignalTable)
        if (names::Equal(s.name, name))
            return true;
    return false;
}

} // namespace

std::string CheckScopeOptions(const ScopeOptions &o)
{
    for (const std::string *name : {&o.ch1, &o.ch2})
        if (!IsSignal(*name))
            return "\"" + *name + "\" is not a scope signal (see the Source lists of the scope window)";
    bool listed = false;
    for (const scope::TimebaseEntry &e : scope::kTimebases)
        listed = listed || e.value == o.timebase;
    if (!listed)
        return "--timebase must be 1, 2, 5, 10, 20, 50 or 100 (ms per sample)";
    if (o.trigger < scope::kTriggerNone || o.trigger > scope::kCh2Falling)
        return "--trigger must be 0 (none) or 1..4";
    if (!(std::fabs(o.level) <= 1e30))
        return "--level must be a number from -1e30 to 1e30";
    if (o.frames < 1 || o.frames > 9)
        return "--frames must be 1..9 (the history keeps nine)";
    if (o.csv.empty())
        return "scope needs --csv FILE";
    return {};
}

int CaptureScope(const ScopeOptions &o, FILE *out, FILE *err)
{
    scope::PointChart chart;
    scope::TScope engine(chart, nullptr, "");
    engine.SetSource(1, o.ch1);
    engine.SetSource(2, o.ch2);
    engine.SetTimebase(o.timebase);
    engine.SetTriggerSource(o.trigger);
    engine.SetTriggerLevel(o.level);
    scope::DataPump pump(engine, nullptr);
    pump.Resume();
    // A capture takes 100 sample periods in the drive, a trigger may take some more; the link
    // gives up on a silent drive within half a second per request.
    const auto limit = std::chrono::milliseconds(5000 + static_cast<long>(o.frames * 200 * o.timebase));
    auto deadline = std::chrono::steady_clock::now() + limit;
    auto done = [&] {
        return o.single ? pump.State() == scope::SweepState::Waiting && engine.FramesDrawn() > 0
                        : engine.FramesDrawn() >= o.frames;
    };
    if (o.single) {
        pump.SetSingleSweep(true);
        if (const int status = pump.Arm(); status != 0) {
            // A drive that answered with a refusal is told from one that did not answer.
            if (ExitForStatus(status) == kRefused)
                std::fprintf(err, "The drive refused the sweep: %s\n", StatusText(status).c_str());
            else
                std::fprintf(err, "Can't communicate with drive: the sweep could not be armed (%s)\n",
                             StatusText(status).c_str());
            return ExitForStatus(status);
        }
    }
    pump.Start();
    int drawn = 0;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(err, pump.ReadOk() ? "No complete capture within %.1f seconds (a trigger that never fires?)\n"
                                            : "Can't communicate with drive (no capture within %.1f seconds)\n",
                         std::chrono::duration<double>(limit).count());
            return kCommError;
        }
        pump.WaitAndServe(100);
        if (engine.FramesDrawn() > drawn) {
            drawn = engine.FramesDrawn();
            deadline = std::chrono::steady_clock::now() + limit;
        }
    }
    pump.Stop();
    pump.Terminate();
    if (!engine.WriteCsv(o.csv, o.single ? 1 : o.frames)) {
        std::fprintf(err, "Can't open file %s\n", o.csv.c_str());
        return kFileError;
    }
    if (!o.quiet)
        std::fprintf(out, "%s: %d frame%s of %s (%s) and %s (%s), %s\n", o.csv.c_str(), o.single ? 1 : o.frames,
                     (o.single || o.frames == 1) ? "" : "s", engine.SourceName(1).c_str(),
                     engine.SourceUnits(1).c_str(), engine.SourceName(2).c_str(), engine.SourceUnits(2).c_str(),
                     scope::kTimebases[static_cast<std::size_t>(scope::TimebaseIndex(o.timebase))].text);
    return kOk;
}

// tools700-cli scope --csv FILE [--ch1 NAME] [--ch2 NAME] [--timebase MS] [--trigger N --level X]
// [--single] [--frames N]
int RunScope(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("scope takes no operands");
    ScopeOptions o;
    o.ch1 = ctx.args.Text("--ch1").value_or(o.ch1);
    o.ch2 = ctx.args.Text("--ch2").value_or(o.ch2);
    o.timebase = ctx.args.Number("--timebase").value_or(o.timebase);
    o.trigger = ctx.args.Integer("--trigger").value_or(o.trigger);
    o.level = ctx.args.Number("--level").value_or(o.level);
    o.single = ctx.args.Has("--single");
    o.frames = ctx.args.Integer("--frames").value_or(o.frames);
    o.csv = ctx.args.Text("--csv").value_or(o.csv);
    o.quiet = ctx.quiet;
    if (const std::string problem = CheckScopeOptions(o); !problem.empty()) {
        if (problem.find("is not a scope signal") != std::string::npos) {
            std::fprintf(ctx.err, "%s\n", problem.c_str());
            return kUnknownName;
        }
        throw UsageError(problem);
    }
    OpenLink(ctx);
    return CaptureScope(o, ctx.out, ctx.err);
}

} // namespace tools700::cli
