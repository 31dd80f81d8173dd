#include "Tune.h"

#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "ExtensionFiles.h"
#include "mdb700.h"
#include "tools700/common/Messages.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/tuning/TuningWizard.h"
#include "TerminalMessages.h"

namespace tools700::cli {

using namespace tuning;

namespace {

// A value of a range the wizard checks; a message and false when it lies outside.
bool Within(EditField field, double value, FILE *err)
{
    const EditRange &r = kEditRanges[field];
    if (value >= r.min && value <= r.max)
        return true;
    std::fprintf(err, "%s (%s..%s)\n", r.warning, GeneralText(r.min).c_str(), GeneralText(r.max).c_str());
    return false;
}

} // namespace

int Tune(const TuneOptions &o, Messages &messages, FILE *out, FILE *err)
{
    if (o.bandwidth.has_value() == o.kvp.has_value()) {
        std::fprintf(err, "tune needs either --bandwidth or --kvp\n");
        return kUsage;
    }
    if (o.bandwidth && !(*o.bandwidth > 0)) {
        std::fprintf(err, "The bandwidth must be above 0 Hz\n");
        return kUsage;
    }
    if (!o.apply && o.motor.empty()) {
        std::fprintf(err, "tune needs --motor NAME (or --apply, which tunes the drive's own motor)\n");
        return kUsage;
    }
    if (!Within(kFieldInertiaRatio, o.ratio, err) || (o.kvp && !Within(kFieldKvp, *o.kvp, err)) ||
        (o.kvi && !Within(kFieldKvi, *o.kvi, err)) || (o.arf0 && !Within(kFieldARF0, *o.arf0, err)) ||
        (o.arf1 && !Within(kFieldARF1, *o.arf1, err)))
        return kUsage;

    TuningWizard w(messages);
    try {
        if (o.apply) {
            w.TuningMode = kOnline;
            const int problem = w.LoadTuningData();
            if (problem >= 1 && problem <= 10)
                return kCommError;
            if (!o.motor.empty() && CompareNames(o.motor, w.MotorName) != 0) {
                std::fprintf(err, "The drive's motor is %s, not %s\n", w.MotorName.c_str(), o.motor.c_str());
                return kUnknownName;
            }
            if (problem != 0)
                return kUnknownName;
        } else {
            w.TuningMode = kOffline;
            w.MotorName = o.motor;
            if (w.LoadTuningData() != 0)
                return kUnknownName;
            w.Kvi = kDefaultKvi;
            w.ARF0 = kDefaultARF0;
            w.ARF1 = kDefaultARF1;
            w.ARZ0 = w.ARZ1 = 0;
            w.Kip = kTwoPi * mdb_Inductance(w.MotorName.c_str());
        }
        w.JR = o.ratio;
        for (auto [given, into] : {std::pair{&o.kvi, &w.Kvi}, {&o.arf0, &w.ARF0}, {&o.arf1, &w.ARF1},
                                   {&o.arz0, &w.ARZ0}, {&o.arz1, &w.ARZ1}, {&o.kip, &w.Kip}})
            if (*given)
                *into = **given;
        // The wizard's own rules: a Kvp gives a bandwidth rounded as the slider shows it.
        if (o.bandwidth) {
            w.SetBandwidth(*o.bandwidth);
            if (!Within(kFieldKvp, w.Kvp, err))
                return kUsage;
        } else {
            w.SetKvp(*o.kvp);
        }

        const char *motor = w.MotorName.c_str();
        std::fprintf(out, "Motor          %s (Ke %s V/(rad/s), inertia %s kg m^2, inductance %s mH)\n", motor,
                     GeneralText(w.Ke).c_str(), GeneralText(w.Inertia).c_str(),
                     GeneralText(mdb_Inductance(motor)).c_str());
        std::fprintf(out, "Inertia ratio  %s\n", GeneralText(w.JR).c_str());
        std::fprintf(out, "Bandwidth      %s Hz\n", w.View().bandwidthReader.c_str());
        std::fprintf(out, "Kvp            %s amp/rad/sec\n", KvpText(w.Kvp).c_str());
        std::fprintf(out, "Kvi            %s Hz\n", UpToText(w.Kvi, 2).c_str());
        std::fprintf(out, "ARF0           %s Hz\n", UpToText(w.ARF0, 2).c_str());
        std::fprintf(out, "ARF1           %s Hz\n", UpToText(w.ARF1, 2).c_str());
        std::fprintf(out, "Phase margin   %s deg\n", UpToText(PhaseMargin(w.BW, w.Loop()), 2).c_str());
        switch (IndicatorFor(w.BW, w.Kvi, w.ARF0, w.ARF1)) {
        case Indicator::KvpTooLow:
            std::fprintf(out, "BW < Kvi: Kvp is too low\n");
            break;
        case Indicator::KvpTooHigh:
            std::fprintf(out, "BW > ARF0 or BW > ARF1: Kvp is too high\n");
            break;
        default:
            break;
        }
        if (!o.apply)
            return kOk;
        std::fflush(out);
        if (!ApplyGains({w.Kvp, w.Kvi, w.ARF0, w.ARF1}, messages))
            return kDeclined;
        std::fprintf(out, "Kvp, Kvi, ARF0 and ARF1 written; the drive is disabled\n");
        return kOk;
    } catch (const DriveError &e) {
        std::fprintf(err, "%s\n", e.what());
        return ExitForStatus(e.Status());
    }
}

// tools700-cli tune --motor NAME [--ratio R] (--bandwidth HZ | --kvp K) [--kvi HZ] ... [--apply]
int RunTune(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("tune takes no operands");
    TuneOptions t;
    t.motor = ctx.args.Text("--motor").value_or("");
    t.ratio = ctx.args.Number("--ratio").value_or(1.0);
    t.apply = ctx.args.Has("--apply");
    t.bandwidth = ctx.args.Number("--bandwidth");
    t.kvp = ctx.args.Number("--kvp");
    t.kvi = ctx.args.Number("--kvi");
    t.arf0 = ctx.args.Number("--arf0");
    t.arf1 = ctx.args.Number("--arf1");
    t.arz0 = ctx.args.Number("--arz0");
    t.arz1 = ctx.args.Number("--arz1");
    t.kip = ctx.args.Number("--kip");
    LoadExtensions(ctx);
    if (t.apply)
        OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.preset);
    return Tune(t, term, ctx.out, ctx.err);
}

} // namespace tools700::cli
