#include "Cli.h"

#include "Diagnose.h"
#include "Firmware.h"
#include "IniSettings.h"
#include "tools700/platform/LineClaim.h"
#include "tools700/platform/SerialPort.h"
#include "ProgressBar.h"
#include "TerminalMessages.h"
#include "Scope.h"
#include "Tune.h"
#include "Watch.h"
#include "comm700.h"
#include "mdb700.h"
#include "tools700/Error.h"
#include "tools700/ProgramFolders.h"
#include "tools700/Release.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Generator.h"
#include "tools700/config/PdfCanvas.h"
#include "tools700/config/StatusText.h"
#include "tools700/config/TextCanvas.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <locale.h>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <algorithm>
#include <cctype>
#include <unistd.h>

namespace tools700::cli {

namespace {

struct Options {
    std::optional<int> port, axis;
    Preset preset = Preset::None;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool nvsave = false;
    bool full = false;
    bool longList = false;
    bool eraseNv = false;
    std::string drive, motor, mode, pdf, mdeDir;
    std::optional<double> ratio;
    std::optional<int> rows;
    std::optional<double> interval;
    std::optional<int> count;
    ScopeOptions scope;             // scope's --ch1, --ch2, --timebase, ... (checked by the command)
    bool scopeOption = false;       // one of them was given
    // The tune command's numbers (--bandwidth, --kvp, --kvi, --arf0, --arf1, --arz0, --arz1,
    // --kip) by option name, and --apply.
    std::map<std::string, double> tuning;
    bool apply = false;
    std::vector<std::string> words; // command and its operands
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a command needs from its surroundings.
struct Context {
    Options opt;
    FILE *in, *out, *err;
    bool interactive;
    bool progress;
};

// ---- small helpers ----

std::optional<double> ParseNumber(const std::string &text)
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    double v = strtod_l(text.c_str(), &end, c);
    if (end == text.c_str() || *end != '\0')
        return std::nullopt;
    return v;
}

int ParseInt(const std::string &text, const std::string &what)
{
    int v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        throw UsageError(what + " must be an integer, not \"" + text + "\"");
    return v;
}

// The shortest text that reads back as the same double ("12.5", "733").
std::string NumberText(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Reads a configuration file into a Cfg of the family its Model names, as Edit File does:
// first as a 730-family configuration, again as a 740-family one when the model says so.
// `read`, when given, receives the number of values read from the file.
std::unique_ptr<Cfg> LoadCfgFile(const std::string &file, int *read = nullptr)
{
    auto cfg = std::make_unique<Cfg>();
    int n = cfg->Load(file);
    if (Is740Family(TruncToInt(cfg->Get("Model")))) {
        cfg = std::make_unique<Cfg>(740);
        n = cfg->Load(file);
    }
    if (read)
        *read = n;
    return cfg;
}

// Messages that also remember the texts shown, to tell the exit code.
class RecordingMessages : public Messages {
public:
    explicit RecordingMessages(Messages &inner) : inner_(inner) {}
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        texts.push_back(text);
        Answer a = inner_.Show(kind, text, buttons);
        if ((buttons & BtnYes) && a != Answer::Yes)
            declined = true;
        return a;
    }
    std::vector<std::string> texts;
    bool declined = false;

private:
    Messages &inner_;
};

// ---- link setup ----

void OpenLink(Context &ctx)
{
    const StoredLink stored = ReadStoredLink(IniSettings::Load(SettingsPath()));
    const int port = ctx.opt.port.value_or(stored.port);
    const int axis = ctx.opt.axis.value_or(stored.axis);
    if (port < 0 || port > 4)
        throw UsageError("the port must be 0 (simulator) or 1..4, not " + std::to_string(port));
    if (axis < 1 || axis > 255)
        throw UsageError("the axis must be 1..255, not " + std::to_string(axis));
    // One host per line: a port or simulator channel another program holds is refused.
    const bool opened = UseSerialPort(port) == 1;
    if (const std::string inUse = platform::LineInUseText(port); !inUse.empty()) {
        std::fprintf(ctx.err, "%s\n", inUse.c_str());
        std::exit(kCommError);
    }
    if (port != 0 && !opened) {
        std::fprintf(ctx.err, "Can't open serial port COM%d (%s)\n", port, platform::ComPortDevice(port).c_str());
        std::exit(kCommError);
    }
    const int st = SetAxis700(axis);
    if (st != 0) {
        std::fprintf(ctx.err, "%s\n", StatusText(st).c_str());
        std::exit(kCommError);
    }
}

std::string ValueWithText(const std::string &name, double v)
{
    const bool integer = Dictionary().IsInteger(name) || HasEnum(name) != nullptr;
    std::string text = integer ? NumberText(std::trunc(v)) : NumberText(v);
    if (HasEnum(name)) {
        std::string e = EnumText(name, TruncToInt(v));
        if (!e.empty())
            text += " (" + e + ")";
    }
    return text;
}

// ---- commands ----

int CmdGet(Context &ctx)
{
    if (ctx.opt.words.size() < 2)
        throw UsageError("get needs at least one variable name");
    OpenLink(ctx);
    int rc = kOk;
    for (size_t i = 1; i < ctx.opt.words.size(); ++i) {
        const std::string name = Dictionary().CanonicalName(ctx.opt.words[i]);
        double v = 0;
        const int st = GetVar700(name.c_str(), &v);
        if (st != 0) {
            std::fprintf(ctx.err, "%s: %s\n", name.c_str(), StatusText(st).c_str());
            if (rc == kOk)
                rc = ExitForStatus(st);
            continue;
        }
        std::string unit = UnitText(name, nullptr);
        std::fprintf(ctx.out, "%s = %s%s%s\n", name.c_str(), ValueWithText(name, v).c_str(),
                     unit.empty() ? "" : " ", unit.c_str());
    }
    return rc;
}

int CmdSet(Context &ctx)
{
    if (ctx.opt.words.size() != 3)
        throw UsageError("set needs a variable name and a value");
    const std::string name = Dictionary().CanonicalName(ctx.opt.words[1]);
    const std::string &text = ctx.opt.words[2];
    double value = 0;
    if (auto n = ParseNumber(text)) {
        value = *n;
    } else if (const EnumTable *t = HasEnum(name)) {
        bool found = false;
        for (const EnumEntry &e : *t)
            if (CompareNames(e.text, text) == 0) {
                value = e.value;
                found = true;
                break;
            }
        if (!found)
            throw UsageError("\"" + text + "\" is neither a number nor a value text of " + name);
    } else {
        throw UsageError("\"" + text + "\" is not a number");
    }
    OpenLink(ctx);
    const int st = PutVar700(name.c_str(), value);
    if (st != 0) {
        std::fprintf(ctx.err, "%s: %s\n", name.c_str(), VarStatusText(st, name).c_str());
        return ExitForStatus(st);
    }
    return kOk;
}

int CmdExec(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("exec needs one command name");
    const std::string name = Dictionary().CanonicalName(ctx.opt.words[1]);
    OpenLink(ctx);
    const int st = ExeCmd700(name.c_str());
    if (st != 0) {
        std::fprintf(ctx.err, "%s: %s\n", name.c_str(), StatusText(st).c_str());
        return ExitForStatus(st);
    }
    return kOk;
}

int CmdStatus(Context &ctx)
{
    if (ctx.opt.words.size() != 1)
        throw UsageError("status takes no operands");
    OpenLink(ctx);
    const char *names[] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault", nullptr};
    double values[4] = {0, 0, 0, 0};
    int mask = 0;
    const int st = GetVars700(names, values, &mask);
    const std::string line = ConnectionStatusText(st, values, mask);
    std::fprintf(ctx.out, "%s\n", line.c_str());
    return (st == 0 && (mask & 0xF) == 0xF) ? kOk : kCommError;
}

// Reads the drive's configuration into a Cfg of its family, with a progress bar; nullptr (after
// the message) when the drive does not answer or a variable cannot be read.
std::unique_ptr<Cfg> UploadFromDrive(Context &ctx, Messages &messages, const char *label)
{
    double model = 0;
    if (GetVar700("Model", &model) != 0) {
        messages.Message("Comm error?");
        return nullptr;
    }
    auto cfg = Is740Family(TruncToInt(model)) ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    ProgressBar bar(ctx.err, ctx.progress && !ctx.opt.quiet, label);
    if (!cfg->Upload(messages, [&](double f) { bar(f); })) {
        bar.Done();
        return nullptr;
    }
    return cfg;
}

int CmdUpload(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("upload needs a file name");
    const std::string file = ctx.opt.words[1];
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.opt.preset);
    auto cfg = UploadFromDrive(ctx, term, "Upload  ");
    if (!cfg)
        return kCommError;
    const int model = TruncToInt(cfg->Get("Model"));
    const int lines = cfg->Save(file, model);
    if (lines == 0) {
        std::fprintf(ctx.err, "The file has not been saved properly (model %d belongs to no drive family)\n",
                     model);
        return kFileError;
    }
    if (!ctx.opt.quiet)
        std::fprintf(ctx.out, "%d variables of %s written to %s\n", lines, ModelText(model).c_str(),
                     file.c_str());
    return kOk;
}

int CmdDownload(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("download needs a file name");
    int read = 0;
    auto cfg = LoadCfgFile(ctx.opt.words[1], &read);
    if (read == 0) {
        // An empty file, or one of comments only, would write the dictionary's defaults over
        // the drive's whole configuration.
        std::fprintf(ctx.err, "%s: no value could be read from this file, nothing was downloaded\n",
                     ctx.opt.words[1].c_str());
        return kFileError;
    }
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.opt.preset);
    double axis = 0;
    if (GetVar700("AxisAddr", &axis) != 0) {
        term.Message("Can't communicate with the drive!");
        return kCommError;
    }
    double model = 0;
    double lock = 0;
    if (GetVar700("Model", &model) == 0 && Is740Family(TruncToInt(model)) && GetVar700("MfgLock", &lock) == 0 &&
        lock == 0) {
        // As the program's save window: a drive under fieldbus control is not written.
        term.Message("The drive is in SERCOS Control Mode -- download aborted.\nHand it to serial control "
                     "first: the Serial/SERCOS switch of Tools700's main window, or, with the drive "
                     "disabled, tools700-cli set MfgLock 584219637");
        return kRefused;
    }
    double enabled = 0;
    if (GetVar700("Enabled", &enabled) == 0 && enabled == 1.0) {
        term.Message("The drive is enabled and unabled to write to drive now-- download aborted");
        return kRefused;
    }
    RecordingMessages rec(term);
    bool ok;
    {
        ProgressBar bar(ctx.err, ctx.progress && !ctx.opt.quiet, "Download");
        term.SetBeforeOutput([&] { bar.Done(); });
        ok = cfg->Download(rec, [&](double f) { bar(f); });
        if (ok)
            bar(1.0); // the last write reports (N - 1) / N; the transfer is complete now
        term.SetBeforeOutput({});
    }
    if (!ok) {
        term.Message("Unable to write to drive -- download aborted");
        if (!rec.texts.empty() && rec.texts.front() == "Comm error?")
            return kCommError;
        return rec.declined ? kDeclined : kRefused;
    }
    bool save = ctx.opt.nvsave;
    if (!save)
        save = term.Confirm("Your configuration has been downloaded.\n\nDo you want to have it saved in the drive's\n"
                            "non-volatile memory?\n\n(If you answer 'NO', the changes will be lost\n"
                            "when the drive is powered down.)\n");
    if (save) {
        if (ExeCmd700("NVSave") != 0) {
            term.Message("Unable to complete NVSAVE operation");
            return kRefused;
        }
        if (!ctx.opt.quiet)
            std::fprintf(ctx.out, "Downloaded and saved to NV ram\n");
    } else if (!ctx.opt.quiet) {
        std::fprintf(ctx.out, "Downloaded\n");
    }
    return kOk;
}

int KeepFirstMotor(const char *, const char *, const char *) { return 0; }

// The motor database extension files (*.MDE) of a folder: --mde-dir, TOOLS700_MDE_DIR, or the
// program folder (beside a build-tree program, the user's data folder for an installed one), as
// the program reads them at start-up. A duplicate keeps the first
// definition; a file that cannot be read is reported and skipped.
void LoadExtensions(Context &ctx)
{
    namespace fs = std::filesystem;
    std::string dir = ctx.opt.mdeDir;
    if (dir.empty())
        if (const char *env = std::getenv("TOOLS700_MDE_DIR"))
            dir = env;
    if (dir.empty()) {
        const std::string exe = ThisExecutable();
        if (exe.empty())
            return;
        dir = FindProgramFolders(exe).dataDir;
    }
    std::error_code ec;
    std::vector<std::string> files;
    for (const auto &entry : fs::directory_iterator(dir, ec)) {
        std::string ext = entry.path().extension().string();
        for (char &c : ext)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (ext == ".MDE" && entry.is_regular_file())
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    mdb_FlushExtensions();
    for (const std::string &f : files) {
        const int r = mdb_Extend(f.c_str(), KeepFirstMotor);
        if (r == MDB_EXTEND_CANT_OPEN)
            std::fprintf(ctx.err, "Can't open Motor Database extension file %s\n", f.c_str());
        else if (r == MDB_EXTEND_INVALID)
            std::fprintf(ctx.err, "Motor Database Extension file \"%s\" is invalid.\n", f.c_str());
    }
}

int ParseMode(const std::string &text)
{
    if (auto n = ParseNumber(text); n && *n == std::trunc(*n))
        return static_cast<int>(*n);
    for (const EnumEntry &e : *HasEnum("OpMode730"))
        if (CompareNames(e.text, text) == 0)
            return e.value;
    throw UsageError("unknown mode \"" + text + "\" (give 0..7 or a mode text)");
}

int CmdNew(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("new needs a file name");
    if (ctx.opt.drive.empty() || ctx.opt.motor.empty() || ctx.opt.mode.empty())
        throw UsageError("new needs --drive, --motor and --mode");
    const std::string &drive = ctx.opt.drive;
    const std::string &motor = ctx.opt.motor;
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
    const int mode = ParseMode(ctx.opt.mode);
    if (EnumText(f740 ? "OpMode740" : "OpMode730", mode).empty()) {
        std::fprintf(ctx.err, "Mode %d is not an operating mode of %s\n", mode, ModelText(model).c_str());
        return kUnknownName;
    }
    const double ratio = ctx.opt.ratio.value_or(0.0);
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
        if (!ctx.opt.quiet)
            std::fprintf(ctx.err, "%s %s limited to %s\n", n.c_str(), NumberText(t->Val()).c_str(),
                         NumberText(limited).c_str());
        t->Val(limited);
    }
    const int lines = cfg->Save(ctx.opt.words[1], model);
    if (!ctx.opt.quiet)
        std::fprintf(ctx.out, "%d variables for %s, motor %s, %s written to %s\n", lines,
                     ModelText(model).c_str(), motor.c_str(),
                     EnumText("OpMode730", mode).c_str(), ctx.opt.words[1].c_str());
    return kOk;
}

// Whether the drive holds what downloading the file's value would give it: integers are sent
// truncated, reals as 32-bit floats.
bool SameOnDrive(const std::string &name, double fileValue, double driveValue)
{
    if (Dictionary().IsInteger(name))
        return std::trunc(fileValue) == std::trunc(driveValue);
    return static_cast<float>(fileValue) == static_cast<float>(driveValue);
}

int CmdDiff(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("diff needs a file name");
    auto file = LoadCfgFile(ctx.opt.words[1]);
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.opt.preset);
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

int CmdList(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("list needs a file name");
    auto cfg = LoadCfgFile(ctx.opt.words[1]);
    const int rows = ctx.opt.rows.value_or(66);
    if (rows < 5)
        throw UsageError("--rows must be at least 5");
    std::ostringstream text;
    TextCanvas canvas(text, rows);
    cfg->Print(canvas, ctx.opt.words[1], ctx.opt.full, {}, TruncToInt(cfg->Get("Model")));
    std::fputs(text.str().c_str(), ctx.out);
    return kOk;
}

int CmdPrint(Context &ctx)
{
    if (ctx.opt.words.size() != 2 || ctx.opt.pdf.empty())
        throw UsageError("print needs a file name and --pdf OUT.pdf");
    auto cfg = LoadCfgFile(ctx.opt.words[1]);
    PdfCanvas canvas(ctx.opt.pdf);
    ProgressBar bar(ctx.err, ctx.progress && !ctx.opt.quiet, "Printing");
    cfg->Print(canvas, ctx.opt.words[1], ctx.opt.full, [&](double f) { bar(f); },
               TruncToInt(cfg->Get("Model")));
    bar.Done();
    if (!ctx.opt.quiet)
        std::fprintf(ctx.out, "%d pages written to %s\n", canvas.Pages(), ctx.opt.pdf.c_str());
    return kOk;
}

int CmdMotors(Context &ctx)
{
    if (ctx.opt.words.size() != 1)
        throw UsageError("motors takes no operands");
    LoadExtensions(ctx);
    char name[16];
    for (char *n = mdb_FirstName(name); n; n = mdb_NextName(name)) {
        if (ctx.opt.longList)
            std::fprintf(ctx.out, "%-9s %-7s Ke %-10s ICS %-8s poles %-3s inertia %s\n", name,
                         mdb_Type(name) == 0.0 ? "rotary" : "linear", NumberText(mdb_Ke(name)).c_str(),
                         NumberText(mdb_ICS(name)).c_str(), NumberText(mdb_PoleCount(name)).c_str(),
                         NumberText(mdb_Inertia(name)).c_str());
        else
            std::fprintf(ctx.out, "%s\n", name);
    }
    return kOk;
}

int CmdDrives(Context &ctx)
{
    if (ctx.opt.words.size() != 1)
        throw UsageError("drives takes no operands");
    char name[16];
    for (int i = 0;; ++i) {
        ddb_Name(i, name);
        if (name[0] == '\0')
            break;
        const int number = static_cast<int>(ddb_Number(name));
        std::fprintf(ctx.out, "%-7s %5d  %s family  IPeak %s A  bus %s V\n", name, number,
                     Is740Family(number) ? "740" : "730", NumberText(ddb_IPeak(name)).c_str(),
                     NumberText(ddb_BusVoltage(name)).c_str());
    }
    return kOk;
}

// ---- argument parsing ----

int CmdWatch(Context &ctx)
{
    const std::size_t n = ctx.opt.words.size() - 1;
    if (n < 1 || n > static_cast<std::size_t>(online::kRows))
        throw UsageError("watch needs one to six variable names");
    WatchOptions w;
    for (std::size_t i = 1; i < ctx.opt.words.size(); ++i) {
        const std::string &word = ctx.opt.words[i];
        if (!Dictionary().IsStatusVar(word) && !Dictionary().IsCfgVar(word)) {
            std::fprintf(ctx.err, "%s: not a drive variable\n", word.c_str());
            return kUnknownName;
        }
        w.names.push_back(Dictionary().CanonicalName(word));
    }
    w.intervalSeconds = ctx.opt.interval.value_or(1.0);
    w.count = ctx.opt.count;
    w.redraw = isatty(fileno(ctx.out)) != 0;
    OpenLink(ctx);
    return Watch(w, ctx.out);
}

int CmdScope(Context &ctx)
{
    if (ctx.opt.words.size() != 1)
        throw UsageError("scope takes no operands");
    ScopeOptions o = ctx.opt.scope;
    o.quiet = ctx.opt.quiet;
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

int CmdFirmware(Context &ctx)
{
    if (ctx.opt.words.size() != 2)
        throw UsageError("firmware needs one image file");
    FirmwareOptions f;
    f.file = ctx.opt.words[1];
    f.eraseNv = ctx.opt.eraseNv;
    f.progress = ctx.progress;
    f.quiet = ctx.opt.quiet;
    OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.opt.preset);
    return Firmware(f, term, ctx.out, ctx.err);
}

int CmdDiagnose(Context &ctx)
{
    if (ctx.opt.words.size() != 1)
        throw UsageError("diagnose takes no operands");
    OpenLink(ctx);
    return Diagnose(ctx.out, ctx.err);
}

int CmdTune(Context &ctx)
{
    if (ctx.opt.words.size() != 1)
        throw UsageError("tune takes no operands");
    TuneOptions t;
    t.motor = ctx.opt.motor;
    t.ratio = ctx.opt.ratio.value_or(1.0);
    t.apply = ctx.opt.apply;
    const std::pair<const char *, std::optional<double> *> numbers[] = {
        {"--bandwidth", &t.bandwidth}, {"--kvp", &t.kvp},   {"--kvi", &t.kvi}, {"--arf0", &t.arf0},
        {"--arf1", &t.arf1},           {"--arz0", &t.arz0}, {"--arz1", &t.arz1}, {"--kip", &t.kip}};
    for (const auto &[name, into] : numbers)
        if (auto it = ctx.opt.tuning.find(name); it != ctx.opt.tuning.end())
            *into = it->second;
    LoadExtensions(ctx);
    if (t.apply)
        OpenLink(ctx);
    TerminalMessages term(ctx.in, ctx.err, ctx.interactive, ctx.opt.preset);
    return Tune(t, term, ctx.out, ctx.err);
}

Options ParseArgs(const std::vector<std::string> &args)
{
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&](const char *what) -> std::string {
            if (i + 1 >= args.size())
                throw UsageError(std::string(what) + " needs a value");
            return args[++i];
        };
        if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--version")
            o.version = true;
        else if (a == "--port")
            o.port = ParseInt(value("--port"), "--port");
        else if (a == "--axis")
            o.axis = ParseInt(value("--axis"), "--axis");
        else if (a == "--yes" || a == "-y")
            o.preset = Preset::Yes;
        else if (a == "--no" || a == "-n")
            o.preset = Preset::No;
        else if (a == "--quiet" || a == "-q")
            o.quiet = true;
        else if (a == "--nvsave")
            o.nvsave = true;
        else if (a == "--full")
            o.full = true;
        else if (a == "--long")
            o.longList = true;
        else if (a == "--erase-nv")
            o.eraseNv = true;
        else if (a == "--drive")
            o.drive = value("--drive");
        else if (a == "--motor")
            o.motor = value("--motor");
        else if (a == "--mode")
            o.mode = value("--mode");
        else if (a == "--ratio") {
            auto r = ParseNumber(value("--ratio"));
            if (!r)
                throw UsageError("--ratio must be a number");
            o.ratio = *r;
        } else if (a == "--pdf")
            o.pdf = value("--pdf");
        else if (a == "--rows")
            o.rows = ParseInt(value("--rows"), "--rows");
        else if (a == "--interval") {
            auto v = ParseNumber(value("--interval"));
            if (!v || !(*v > 0) || *v > 86400)
                throw UsageError("--interval must be a number of seconds above 0 (at most 86400)");
            o.interval = *v;
        } else if (a == "--count") {
            o.count = ParseInt(value("--count"), "--count");
            if (*o.count < 1)
                throw UsageError("--count must be at least 1");
        } else if (a == "--bandwidth" || a == "--kvp" || a == "--kvi" || a == "--arf0" || a == "--arf1" ||
                   a == "--arz0" || a == "--arz1" || a == "--kip") {
            auto v = ParseNumber(value(a.c_str()));
            if (!v)
                throw UsageError(a + " must be a number");
            o.tuning[a] = *v;
        } else if (a == "--apply")
            o.apply = true;
        else if (a == "--mde-dir")
            o.mdeDir = value("--mde-dir");
        else if (a == "--ch1" || a == "--ch2") {
            (a == "--ch1" ? o.scope.ch1 : o.scope.ch2) = value(a.c_str());
            o.scopeOption = true;
        } else if (a == "--timebase" || a == "--level") {
            auto v = ParseNumber(value(a.c_str()));
            if (!v)
                throw UsageError(a + " must be a number");
            (a == "--timebase" ? o.scope.timebase : o.scope.level) = *v;
            o.scopeOption = true;
        } else if (a == "--trigger") {
            o.scope.trigger = ParseInt(value("--trigger"), "--trigger");
            o.scopeOption = true;
        } else if (a == "--frames") {
            o.scope.frames = ParseInt(value("--frames"), "--frames");
            o.scopeOption = true;
        } else if (a == "--single") {
            o.scope.single = true;
            o.scopeOption = true;
        } else if (a == "--csv") {
            o.scope.csv = value("--csv");
            o.scopeOption = true;
        }
        else if (a == "--")
            o.words.insert(o.words.end(), args.begin() + static_cast<long>(i) + 1, args.end()), i = args.size();
        else if (a.size() > 1 && a[0] == '-' && !ParseNumber(a))
            throw UsageError("unknown option " + a);
        else
            o.words.push_back(a);
    }
    return o;
}

} // namespace

int ExitForStatus(int status)
{
    if (status == NO_SUCH_SYMBOL || status == TYPE_ERROR)
        return kUnknownName;
    if (status >= 65 && status <= 127)
        return kRefused;
    return kCommError;
}

std::string HelpText()
{
    return R"(Usage: tools700-cli [OPTIONS] COMMAND [ARGUMENTS]

Talks to an SV7xx drive on a serial port or to the drive simulator, and works on
configuration files (*.cfg).

Commands:
  get NAME...              read variables; shows value, value text and unit
  set NAME VALUE           write a variable; VALUE is a number or a value text
                           ("Analog Torque Block")
  exec COMMAND             run a drive command (NVSave, TableGen, ...)
  status                   the connection status line: axis, drive state, fault
  upload FILE              read the drive's configuration into FILE
  download FILE [--nvsave] write FILE into the drive (disabled meanwhile); asks
                           whether to store it in NV memory unless --nvsave
  new FILE --drive NAME --motor NAME --mode N [--ratio R]
                           a starting configuration computed from drive, motor,
                           operating mode (0..7 or its text) and load inertia
                           ratio (0..100, default 0), with the mode's default
                           I/O map
  diff FILE                the variables whose value in FILE differs from the
                           drive's (reals compared as the drive stores them,
                           in single precision)
  list FILE [--full] [--rows N]
                           the listing as text; short unless --full; N text
                           rows per page (default 66), pages end in a form feed
  print FILE --pdf OUT.pdf [--full]
                           the listing as a PDF file
  motors [--long]          the motor database, extension motors first
  drives                   the drive models
  watch NAME... [--interval S] [--count N]
                           the on-line window's poll: up to six variables, the
                           inputs and outputs with their mappings, drive, motor,
                           mode and fault state, one block every S seconds
                           (default 1), N times or until interrupted; exit 4
                           when a poll was not answered
  scope --csv FILE [--ch1 NAME] [--ch2 NAME] [--timebase MS] [--trigger N
        --level X] [--single] [--frames N]
                           captures of two drive signals, saved as CSV (time in
                           seconds, both channels in their units). NAME: a
                           Source of the scope window (default "Analog Input");
                           MS: 1, 2, 5, 10, 20, 50 or 100 ms per sample (default
                           1); N: 0 free running, 1/2 channel 1 rising/falling
                           edge, 3/4 channel 2, at level X (in the trigger
                           signal's unit); --single arms one sweep and saves it
                           when complete; --frames 1..9 free-running frames
                           (default 1); exit 4 when no capture came
  firmware FILE [--erase-nv]
                           upgrade a 740-family drive's control board with the
                           image FILE (*.bin): asks for the SW5/SW6 switches
                           (or --yes), erases the program memory (and the
                           non-volatile memory with --erase-nv) and programs
                           the image with a progress bar
  diagnose                 the diagnostic checklist: reads 25 values and prints
                           each failed check with its explanation, then the
                           summary; exit 0 all passed, 1 a check failed or the
                           drive is faulted, 4 no answer
  tune --motor NAME [--ratio R] (--bandwidth HZ | --kvp K)
       [--kvi HZ] [--arf0 HZ] [--arf1 HZ] [--arz0 HZ] [--arz1 HZ] [--kip K]
       [--apply]           the tuning wizard: Kvp from a bandwidth or the
                           bandwidth from Kvp for the motor and load inertia
                           ratio (default 1), with the phase margin; Kvi, ARF0,
                           ARF1 default to 5, 150, 750. --apply tunes the
                           connected drive: its motor and loop settings are
                           read, and Kvp, Kvi, ARF0 and ARF1 are written after
                           the question (Enable := 0 first)

Options:
  --port N       0 the simulator channel, 1..4 serial port COM1..COM4
  --axis A       the drive's axis address 1..255 (255: whichever drive answers)
                 Without --port/--axis the port and axis stored by the
                 program's port dialog are used (port 0 and axis 255 when
                 nothing is stored).
  --yes, -y      answer every question Yes
  --no, -n       answer every question No
                 Without these, questions are asked on the terminal; without
                 a terminal they are answered No.
  --quiet, -q    no progress bar and no summary lines
  --mde-dir DIR  read motor extension files (*.MDE) from DIR (default: the
                 program's folder, or TOOLS700_MDE_DIR)
  --help, -h     this text
  --version      the release of the tool and of its two libraries

Environment:
  TOOLS700_SETTINGS  the program's settings file (default
                     ~/.config/Korvane/700Tools.ini)
  TOOLS700_MDE_DIR   folder of motor extension files
  XDG_DATA_HOME      an installed tool reads motor extension files from
                     $XDG_DATA_HOME/700Tools (default ~/.local/share/700Tools)
  COMM700_NAMESPACE  the link library's namespace (must match the simulator's)

Exit codes:
  0 success (diff: no differences)    1 diff found differences
  2 bad command line                  3 file error
  4 the drive does not answer         5 refused by the drive, download aborted
  6 a question was answered No        7 unknown variable, motor, drive or mode
)";
}

std::string VersionText(const std::string &program)
{
    char comm[80] = {};
    char mdb[80] = {};
    CommDLLVersion700(comm);
    mdb_Version(mdb);
    return ReleaseLine(program) + comm + "\n" + mdb + "\n";
}

int Run(const std::vector<std::string> &args, FILE *in, FILE *out, FILE *err, bool interactive,
        bool progressOnErr)
{
    Context ctx;
    ctx.in = in;
    ctx.out = out;
    ctx.err = err;
    ctx.interactive = interactive;
    ctx.progress = progressOnErr;
    try {
        ctx.opt = ParseArgs(args);
        if (ctx.opt.help) {
            std::fputs(HelpText().c_str(), out);
            return kOk;
        }
        if (ctx.opt.version) {
            std::fputs(VersionText("tools700-cli").c_str(), out);
            return kOk;
        }
        if (ctx.opt.words.empty())
            throw UsageError("no command given");
        static const std::map<std::string, int (*)(Context &)> commands = {
            {"get", CmdGet},       {"set", CmdSet},       {"exec", CmdExec},
            {"status", CmdStatus}, {"upload", CmdUpload}, {"download", CmdDownload},
            {"new", CmdNew},       {"diff", CmdDiff},     {"list", CmdList},
            {"print", CmdPrint},   {"motors", CmdMotors}, {"drives", CmdDrives},
            {"watch", CmdWatch},   {"scope", CmdScope},   {"firmware", CmdFirmware},
            {"diagnose", CmdDiagnose}, {"tune", CmdTune},
        };
        auto it = commands.find(ctx.opt.words[0]);
        if (it == commands.end())
            throw UsageError("unknown command \"" + ctx.opt.words[0] + "\"");
        return it->second(ctx);
    } catch (const UsageError &e) {
        std::fprintf(err, "tools700-cli: %s\nTry 'tools700-cli --help'.\n", e.what());
        return kUsage;
    } catch (const Error &e) {
        // File errors of the configuration model: "Can't open file ...", "Error reading file ...".
        std::fprintf(err, "%s\n", ErrorBoxText(e.what()).c_str());
        return kFileError;
    }
}

} // namespace tools700::cli
