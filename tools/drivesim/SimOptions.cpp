#include "SimOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "mdb700.h"
#include "tools700/names/Names.h"

namespace drivesim {

namespace {

bool ParseInt(const std::string& text, long long lo, long long hi, long long& out)
{
    if (text.empty()) return false;
    long long v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseFraction(const std::string& text, double& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(v >= 0.0 && v <= 1.0)) return false;
    out = v;
    return true;
}

bool ParseNumber(const std::string& text, double lo, double hi, double& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(v >= lo && v <= hi)) return false;
    out = v;
    return true;
}

// "RPM" or "RPM,MS".
bool ParseStep(const std::string& text, StepSetup& step)
{
    const std::size_t comma = text.find(',');
    double size = 0, period = step.periodMs;
    if (!ParseNumber(text.substr(0, comma), -21000, 21000, size) || size == 0) return false;
    if (comma != std::string::npos && !ParseNumber(text.substr(comma + 1), 10, 10000, period)) return false;
    step.sizeRpm = size;
    step.periodMs = period;
    return true;
}

// "1,2,5" or "1:733,2:743,5:1735" (a model per axis; an axis without one plays --model).
bool ParseAxes(const std::string& text, std::vector<int>& axes, std::map<int, int>& models, std::string& error)
{
    axes.clear();
    models.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        const std::size_t colon = item.find(':');
        long long v = 0, m = 0;
        if (!ParseInt(item.substr(0, colon), 1, 255, v) ||
            std::find(axes.begin(), axes.end(), static_cast<int>(v)) != axes.end()) {
            error = "--axes: expected distinct addresses 1..255 separated by commas, each with an "
                    "optional :MODEL, got '" + text + "'";
            return false;
        }
        if (colon != std::string::npos) {
            const std::string model = item.substr(colon + 1);
            if (!ParseInt(model, 0, 100000, m) || !IsKnownModel(static_cast<int>(m))) {
                error = "--axes: unknown drive model '" + model + "' for axis " + std::to_string(v) +
                        " (732, 733, 734, 1733, 1735, 742, 743, 744, 1743 or 1745)";
                return false;
            }
            models[static_cast<int>(v)] = static_cast<int>(m);
        }
        axes.push_back(static_cast<int>(v));
        start = comma + 1;
    }
    return !axes.empty();
}

}  // namespace

bool IsKnownModel(int model)
{
    switch (model) {
    case 732: case 733: case 734: case 1733: case 1735:
    case 742: case 743: case 744: case 1743: case 1745:
        return true;
    default:
        return false;
    }
}

namespace {

// What the options parsed so far have set, with what --device and --pty exclude.
struct Parsed {
    SimOptions o;
    bool haveDevice = false;
    bool havePty = false;
};

// One option: its name, whether a value follows it, and what it does (false with `error` set when
// the value is wrong).
struct Option {
    const char* name;
    bool takesValue;
    bool (*apply)(Parsed& p, const std::string& v, std::string& error);
};

constexpr const char* kKnownModels = "(732, 733, 734, 1733, 1735, 742, 743, 744, 1743 or 1745)";

bool Fail(std::string& error, std::string text)
{
    error = std::move(text);
    return false;
}

// An integer in [lo, hi] into `out`, or `message` as the error.
template <class T>
bool Whole(const std::string& v, long long lo, long long hi, T& out, std::string& error, const std::string& message)
{
    long long n = 0;
    if (!ParseInt(v, lo, hi, n)) return Fail(error, message);
    out = static_cast<T>(n);
    return true;
}

bool Set(bool& flag)
{
    flag = true;
    return true;
}

const Option kOptions[] = {
    {"--help", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.help); }},
    {"-h", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.help); }},
    {"--version", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.version); }},
    {"--device", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         p.o.device = v;
         if (v.empty()) return Fail(error, "--device needs a path");
         p.haveDevice = true;
         p.o.transport = TransportKind::Device;
         return true;
     }},
    {"--pty", false,
     [](Parsed& p, const std::string&, std::string&) {
         p.o.transport = TransportKind::Pty;
         return Set(p.havePty);
     }},
    {"--model", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         long long n = 0;
         if (!ParseInt(v, 0, 100000, n) || !IsKnownModel(static_cast<int>(n)))
             return Fail(error, "--model: unknown drive model '" + v + "' " + kKnownModels);
         p.o.model = static_cast<int>(n);
         return true;
     }},
    {"--axes", true,
     [](Parsed& p, const std::string& v, std::string& error) { return ParseAxes(v, p.o.axes, p.o.axisModels, error); }},
    {"--conflict", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         long long n = 0;
         if (!ParseInt(v, 1, 255, n) ||
             std::find(p.o.conflicts.begin(), p.o.conflicts.end(), static_cast<int>(n)) != p.o.conflicts.end())
             return Fail(error, "--conflict: expected an address 1..255 (each once), got '" + v + "'");
         p.o.conflicts.push_back(static_cast<int>(n));
         return true;
     }},
    {"--drop", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return ParseFraction(v, p.o.dropFraction) || Fail(error, "--drop: expected a fraction 0..1, got '" + v + "'");
     }},
    {"--corrupt", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return ParseFraction(v, p.o.corruptFraction) ||
                Fail(error, "--corrupt: expected a fraction 0..1, got '" + v + "'");
     }},
    {"--seed", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return Whole(v, 0, 1LL << 62, p.o.seed, error, "--seed: expected a number");
     }},
    {"--delay", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return Whole(v, 0, 600000, p.o.delayMs, error, "--delay: expected milliseconds 0..600000");
     }},
    {"--refuse", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         const std::size_t eq = v.find('=');
         long long n = 0;
         if (eq == std::string::npos || eq == 0 || !ParseInt(v.substr(eq + 1), 1, 127, n))
             return Fail(error, "--refuse: expected NAME=CODE with CODE 1..127, got '" + v + "'");
         p.o.refusals[tools700::names::Lower(v.substr(0, eq))] = static_cast<int>(n);
         return true;
     }},
    {"--silent", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.silent); }},
    {"--silent-after", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return Whole(v, 0, 1LL << 40, p.o.silentAfter, error, "--silent-after: expected a number of requests");
     }},
    {"--silent-on", true,
     [](Parsed& p, const std::string& v, std::string&) {
         std::string upper;
         for (char c : v) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
         p.o.silentOn.push_back(upper);
         return true;
     }},
    {"--pace", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.pace); }},
    {"--nvfile", true,
     [](Parsed& p, const std::string& v, std::string&) {
         p.o.nvFile = v;
         return true;
     }},
    {"--log", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.log); }},
    {"--trace", true,
     [](Parsed& p, const std::string& v, std::string&) {
         p.o.traceFile = v;
         return true;
     }},
    {"--trace-time", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.traceTime); }},
    {"--rcal", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return Whole(v, 1, 600000, p.o.rcalPeriodMs, error, "--rcal: expected a period in milliseconds");
     }},
    {"--serial-control", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.serialControl); }},
    {"--mfglock-stuck", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.mfgLockStuck); }},
    {"--configured", false, [](Parsed& p, const std::string&, std::string&) { return Set(p.o.configured); }},
    {"--fault", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         const std::size_t comma = v.find(',');
         long long n = 0, ext = 0;
         if (!ParseInt(v.substr(0, comma), 1, 127, n) ||
             (comma != std::string::npos && !ParseInt(v.substr(comma + 1), 0, 127, ext)))
             return Fail(error, "--fault: expected CODE[,EXT] with CODE 1..127, got '" + v + "'");
         p.o.faultCode = static_cast<int>(n);
         p.o.extFault = static_cast<int>(ext);
         return true;
     }},
    {"--fwfile", true,
     [](Parsed& p, const std::string& v, std::string&) {
         p.o.firmwareFile = v;
         return true;
     }},
    {"--step", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return ParseStep(v, p.o.step) ||
                Fail(error, "--step: expected RPM[,MS]: a step of -21000..21000 rpm other than 0, every 10..10000 "
                            "ms, got '" + v + "'");
     }},
    {"--motor", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         if (!(mdb_Ke(v.c_str()) > 0 && mdb_Inertia(v.c_str()) > 0))
             return Fail(error, "--motor: the motor database has no motor '" + v + "' with Ke and inertia");
         p.o.step.motor = v;
         return true;
     }},
    {"--inertia-ratio", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return ParseNumber(v, 0, 100, p.o.step.inertiaRatio) ||
                Fail(error, "--inertia-ratio: expected a load-to-motor inertia ratio 0..100, got '" + v + "'");
     }},
    {"--erase-ms", true,
     [](Parsed& p, const std::string& v, std::string& error) {
         return Whole(v, 0, 600000, p.o.eraseMs, error, "--erase-ms: expected milliseconds");
     }},
};

}  // namespace

std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args, std::string& error)
{
    Parsed p;
    p.o.axes = {1};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                         [&](const Option& known) { return a == known.name; });
        if (option == std::end(kOptions)) {
            error = "unknown option '" + a + "' (see --help)";
            return std::nullopt;
        }
        std::string v;
        if (option->takesValue) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return std::nullopt;
            }
            v = args[++i];
        }
        if (!option->apply(p, v, error)) return std::nullopt;
    }
    if (p.haveDevice && p.havePty) {
        error = "--device and --pty exclude each other";
        return std::nullopt;
    }
    return p.o;
}

int ModelOfAxis(const SimOptions& options, int axis)
{
    auto it = options.axisModels.find(axis);
    return it != options.axisModels.end() ? it->second : options.model;
}

std::string UsageText()
{
    return R"(Usage: drivesim [OPTIONS]
Plays one or more SV7xx drives on one line for 700Tools and the comm700 library.

Line (default: the library's simulator channel, COMM700_NAMESPACE selects its namespace):
  --device PATH        answer on this serial device (19200 8N1, raw)
  --pty                create a pseudo-terminal and print its path on stdout
Drives:
  --model N            drive model: 732 733 734 1733 1735 742 743 744 1743 1745 (default 733)
                       of every drive --axes gives no model
  --axes LIST          axis addresses of the drives, e.g. 1 or 1,2,5 (default 1), each
                       with its own model if wanted: 1:733,2:743,5:1735
  --conflict N         a second drive answers at address N too (added to the line if
                       --axes lacks N): both act on each request, their replies collide
                       into one that fails its CRC; repeatable
  --nvfile PATH        non-volatile memory file for NVSave/NVLoad (default: kept in memory)
  --serial-control     a 740-family drive starts under serial control (default: SERCOS)
  --mfglock-stuck      a 740-family drive accepts MfgLock writes but keeps its control where
                       it was (as when its fieldbus master holds it)
  --configured         the drives start configured and disabled, unless a saved image says otherwise
  --fault CODE[,EXT]   the drives start faulted with this FaultCode and ExtFault
  --fwfile PATH        write an accepted firmware image to PATH
  --erase-ms MS        duration of a firmware memory erase (default 150)
  --rcal MS            send an R-cal value (STX and four hex digits) every MS milliseconds
Velocity loop (the scope's Velocity Command and Velocity Feedback; default: fixed waveforms):
  --step RPM[,MS]      the velocity command steps between 0 and RPM, each level held MS ms
                       (default 1000); the feedback answers as the loop's gains make it
  --motor NAME         the motor of the loop when the drive names none the motor database
                       knows (default KS082A); a drive without gains starts tuned to 25 Hz
  --inertia-ratio R    the load's inertia over the motor's (default 1)
Fault injection:
  --drop F             lose this fraction (0..1) of the reply bytes
  --corrupt F          damage this fraction (0..1) of the reply bytes
  --seed N             seed of the random choices of --drop and --corrupt (default 1)
  --delay MS           answer every request MS milliseconds late
  --refuse NAME=CODE   refuse every request for NAME with the refusal code CODE (1..127); repeatable;
                       "arm" and "fetch" name the scope's single-sweep arm and capture requests
  --silent             read requests but never answer
  --silent-after N     answer the first N requests, then none (a drive that goes quiet midway)
  --silent-on KIND     never answer requests of this kind of the trace (READ_SCOPE, GET_VARS, ...);
                       repeatable
  --pace               send reply bytes no faster than 19200 bit/s
Observation:
  --log                print every request and reply on stderr
  --trace FILE         append one line per request received to FILE
  --trace-time         end each trace line with the time it was received (ms since start)
  --help               this text
  --version            the release of 700Tools and of the link library
SIGUSR1 makes the drives stop answering, SIGUSR2 makes them answer again.
SIGTERM or SIGINT ends the simulator cleanly.
)";
}

}  // namespace drivesim
