#include "LineSupport.h"

#include "tools700/machine/AxisList.h"

#include <csignal>

namespace tools700::cli {

namespace {

volatile std::sig_atomic_t g_cancel = 0;
struct sigaction g_oldInt, g_oldTerm;

extern "C" void OnCancelSignal(int signal)
{
    if (g_cancel) {
        // Asked twice: end now, as the signal would have without this handler.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    g_cancel = 1;
}

} // namespace

std::optional<std::vector<int>> AxesOption(const Context &ctx)
{
    const auto text = ctx.args.Text("--axes");
    if (!text)
        return std::nullopt;
    std::string error;
    auto axes = machine::ParseAxisList(*text, error);
    if (!axes)
        throw UsageError("--axes: " + error);
    return axes;
}

LineProgress::LineProgress(const Context &ctx, std::string label)
    : ctx_(ctx), bar_(ctx.err, ctx.progress && !ctx.quiet, std::move(label))
{
}

void LineProgress::Fraction(double f) { bar_(f); }

void LineProgress::Step(const std::string &text)
{
    if (ctx_.progress || ctx_.quiet)
        return;
    std::fprintf(ctx_.err, "%s\n", text.c_str());
    std::fflush(ctx_.err);
}

void LineProgress::Result(const std::string &text)
{
    bar_.Done();
    std::fprintf(ctx_.out, "%s\n", text.c_str());
    std::fflush(ctx_.out);
}

CancelOnSignal::CancelOnSignal()
{
    g_cancel = 0;
    struct sigaction sa {};
    sa.sa_handler = OnCancelSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &g_oldInt);
    sigaction(SIGTERM, &sa, &g_oldTerm);
}

CancelOnSignal::~CancelOnSignal()
{
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
}

bool CancelOnSignal::Requested() const { return g_cancel != 0; }

} // namespace tools700::cli
