#include "Watch.h"

#include "Cli.h"
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "comm700.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace tools700::cli {

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnStopSignal(int) { g_stop = 1; }

// Text from the drive is printed as it is, except control characters, which could move a
// terminal's cursor or change its colours.
std::string Printable(const std::string &text)
{
    std::string out = text;
    for (char &c : out)
        if (std::iscntrl(static_cast<unsigned char>(c)))
            c = '?';
    return out;
}

// Without the blank a value without unit ends in.
std::string Trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// For a 740-family drive the mode depends on who controls it, which the main window knows from
// MfgLock: read once before each poll for such a drive. A 730-family drive needs no extra read.
online::DriveContext ContextFor(int model, online::DriveContext context)
{
    context.controlSwitchShown = Is740Family(model);
    if (context.controlSwitchShown) {
        double lock = 0;
        if (GetVar700("MfgLock", &lock) == 0)
            context.serialControl = lock != 0;
    }
    return context;
}

} // namespace

std::vector<std::string> WatchBlock(const std::vector<std::string> &names, const online::DriveView &view)
{
    std::vector<std::string> lines;
    for (const std::string *label : {&view.driveLabel, &view.motorLabel, &view.modeLabel})
        lines.push_back(Trimmed(Printable(*label)));
    std::size_t width = 0;
    for (const std::string &n : names)
        width = std::max(width, n.size());
    for (std::size_t i = 0; i < names.size() && i < view.valueBox.size(); ++i)
        lines.push_back(Trimmed(Padded(names[i], width + 2) + Printable(view.valueBox[i])));
    for (int k = 0; k < online::kLamps; ++k) {
        const online::LampView &lamp = view.lamps[static_cast<std::size_t>(k)];
        const bool input = k < online::kInputs;
        const std::string pin = (input ? "Input " : "Output ") + std::to_string(input ? k + 1 : k - online::kInputs + 1);
        lines.push_back(Trimmed(Padded(pin, 10) + Padded(lamp.caption, 5) + Printable(lamp.hint)));
    }
    if (!view.commOk)
        lines.push_back("No communications!");
    else if (view.faultGroupVisible)
        lines.push_back("DRIVE FAULTED!  FaultCode: " + Printable(view.faultCodeText) +
                        "  ExtFault: " + Printable(view.extFaultText));
    else
        lines.push_back("Fault: none");
    return lines;
}

int Watch(const WatchOptions &options, FILE *out)
{
    online::OnlineDrive drive;
    const std::vector<std::string> noEntries;
    for (std::size_t i = 0; i < options.names.size() && i < online::kRows; ++i) {
        drive.SetName(static_cast<int>(i), options.names[i]);
        // As the window does when it opens: each row read once, which also reads its unit.
        drive.RefreshRow(static_cast<int>(i), noEntries);
    }

    g_stop = 0;
    struct sigaction stop {}, oldInt {}, oldTerm {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, &oldInt);
    sigaction(SIGTERM, &stop, &oldTerm);

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.intervalSeconds));
    auto next = Clock::now();
    online::DriveContext context;
    double model = 0;
    GetVar700("Model", &model);
    int driveModel = TruncToInt(model);
    bool allAnswered = true;
    std::size_t shownLines = 0;
    for (int poll = 0; !g_stop && (!options.count || poll < *options.count); ++poll) {
        if (poll > 0) {
            next += period;
            while (!g_stop && Clock::now() < next)
                std::this_thread::sleep_for(std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(50)));
            if (g_stop)
                break;
        }
        context = ContextFor(driveModel, context);
        const online::DriveView &view = drive.Poll(context);
        if (view.commOk)
            driveModel = view.model;
        allAnswered = allAnswered && view.commOk;
        const std::vector<std::string> lines = WatchBlock(options.names, view);
        if (options.redraw && shownLines > 0)
            std::fprintf(out, "\033[%zuA\033[J", shownLines);
        else if (poll > 0)
            std::fputc('\n', out);
        for (const std::string &line : lines)
            std::fprintf(out, "%s\n", line.c_str());
        std::fflush(out);
        shownLines = lines.size();
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    return allAnswered ? 0 : 4;
}

// tools700-cli watch NAME... [--interval S] [--count N]
int RunWatch(Context &ctx)
{
    const std::size_t n = ctx.Operands();
    if (n < 1 || n > static_cast<std::size_t>(online::kRows))
        throw UsageError("watch needs one to six variable names");
    WatchOptions w;
    for (std::size_t i = 1; i < ctx.args.words.size(); ++i) {
        const std::string &word = ctx.args.words[i];
        if (!Dictionary().IsStatusVar(word) && !Dictionary().IsCfgVar(word)) {
            std::fprintf(ctx.err, "%s: not a drive variable\n", word.c_str());
            return kUnknownName;
        }
        w.names.push_back(Dictionary().CanonicalName(word));
    }
    w.intervalSeconds = ctx.args.Number("--interval").value_or(1.0);
    w.count = ctx.args.Integer("--count");
    w.redraw = isatty(fileno(ctx.out)) != 0;
    OpenLink(ctx);
    return Watch(w, ctx.out);
}

} // namespace tools700::cli
