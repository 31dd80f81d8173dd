// The configuration file: one "name = value" line per variable of the model's list.
#include "tools700/config/AtomicFile.h"
#include "tools700/common/NumberText.h"
#include "tools700/common/Error.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Motor.h"
#include "tools700/config/TextFile.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>

namespace tools700 {

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Parses "name = number ...": a name up to the first white space, optional white space, "=",
// optional white space, a number in C notation; the rest of the line is ignored.
bool ParseDataLine(const std::string &line, std::string &name, double &value)
{
    size_t i = 0;
    while (i < line.size() && IsSpace(line[i]))
        ++i;
    size_t start = i;
    while (i < line.size() && !IsSpace(line[i]))
        ++i;
    if (i == start)
        return false;
    name.assign(line, start, i - start);
    while (i < line.size() && IsSpace(line[i]))
        ++i;
    if (i >= line.size() || line[i] != '=')
        return false;
    ++i;
    return numtext::ReadNumber(line.c_str() + i, value, nullptr);
}

bool FileExists(const std::string &fileName)
{
    struct stat st {};
    return stat(fileName.c_str(), &st) == 0;
}
} // namespace

int Cfg::Save(const std::string &fileName, int model)
{
    const bool known = Is730Family(model) || Is740Family(model);
    if (!known) {
        // Nothing to write for a model of neither family. An existing file is left as it was
        // rather than emptied; a new one is created empty so the caller sees the name taken.
        if (!FileExists(fileName)) {
            FILE *f = std::fopen(fileName.c_str(), "w");
            if (!f)
                throw Error("Can't open file " + fileName);
            std::fclose(f);
        }
        return 0;
    }
    std::string text;
    int lines = 0;
    for (TQX *t : ListForModel(model)) {
        text += t->VarName();
        text += " = ";
        text += numtext::Fixed(t->Val(), 6);
        text += '\n';
        ++lines;
    }
    WriteFileAtomically(fileName, text);
    modified = false;
    return lines;
}

int Cfg::Load(const std::string &fileName) { return Load(fileName, nullptr); }

int Cfg::Load(const std::string &fileName, std::vector<std::string> *namesRead)
{
    if (namesRead)
        namesRead->clear();
    LineReader reader(fileName);
    std::string line, name;
    bool any = false;
    while (reader.Next(line)) {
        if (IsBlankOrComment(line))
            continue;
        double value = 0;
        if (!ParseDataLine(line, name, value))
            throw Error("Error reading file " + fileName);
        Set(name, value);
        if (namesRead)
            if (const TQX *t = Find(name))
                namesRead->push_back(t->VarName());
        any = true;
    }
    if (reader.Failed())
        throw Error("Error reading file " + fileName);
    modified = false;
    return any ? 2 : 0;
}

CfgFromFile LoadCfgOfItsFamily(const std::string &fileName)
{
    CfgFromFile out;
    out.cfg = std::make_unique<Cfg>();
    out.result = out.cfg->Load(fileName, &out.names);
    if (Is740Family(TruncToInt(out.cfg->Get("Model")))) {
        out.cfg = std::make_unique<Cfg>(740);
        out.result = out.cfg->Load(fileName, &out.names);
    }
    return out;
}

// ---- motor definition files ----

namespace {
constexpr double kInertiaToFile = 0.001;
constexpr double kInertiaEnglishToFile = 0.11333333333;
constexpr double kInertiaEnglishFromFile = 8.823529412024222;
constexpr double kInertiaFromFile = 1000.0;
constexpr double kPoleSpacingToFile = 2.54;
constexpr double kPoleSpacingFromFile = 0.39370078740157477;
constexpr double kLinearKeToFile = 39.37007874015748;
constexpr double kLinearKeFromFile = 0.0254;
constexpr double kRotaryKeToFile = 0.00954929658578666;
constexpr double kRotaryKeFromFile = 104.71975511666666;
constexpr double kCoilWeightToFile = 0.4535923744952991;
constexpr double kCoilWeightFromFile = 2.2046226;
constexpr int kFields = 20;
} // namespace

int Motor::Save(const std::string &fileName, int /*model*/)
{
    const bool english = Get("ShowMetric") == 0.0;
    double f[kFields + 1] = {};
    f[1] = Get("MotorType");
    f[2] = Get("CountsPerX");
    f[4] = Get("Inertia") * kInertiaToFile;
    f[5] = Get("Inductance");
    f[6] = Get("RHot");
    f[7] = Get("PoleCount");
    f[8] = Get("ICS");
    f[9] = Get("CommOffset");
    f[10] = Get("CommSrc");
    f[11] = Get("ShowMetric");
    f[12] = Get("PoleSpacing");
    f[13] = Get("EncoderResolution");
    f[14] = Get("HallOffset");
    f[15] = Get("ThermalTimeConst");
    f[16] = Get("LinearKe");
    f[17] = Get("RotaryKe");
    f[18] = Get("CoilWeight");
    f[19] = Get("MaxVBus");
    f[20] = 0.0; // PeakToCont is not a parameter of a user motor
    if (english) {
        f[4] *= kInertiaEnglishToFile;
        f[12] *= kPoleSpacingToFile;
        f[16] *= kLinearKeToFile;
        f[17] *= kRotaryKeToFile;
        f[18] *= kCoilWeightToFile;
    }
    f[3] = f[1] != 0.0 ? f[16] : f[17];

    std::string text;
    for (int i = 1; i <= kFields; ++i) {
        if (i > 1)
            text += ' ';
        text += numtext::Fixed(f[i], 6);
    }
    WriteFileAtomically(fileName, text);
    modified = false;
    return 1;
}

int Motor::Load(const std::string &fileName)
{
    LineReader reader(fileName);
    std::string line;
    while (reader.Next(line)) {
        if (IsBlankOrComment(line))
            continue;
        double f[kFields + 1] = {};
        const char *p = line.c_str();
        for (int i = 1; i <= kFields; ++i) {
            if (!numtext::ReadNumber(p, f[i], &p))
                throw Error("Error reading file " + fileName);
        }
        if (f[11] == 0.0) {
            f[4] *= kInertiaEnglishFromFile;
            f[12] *= kPoleSpacingFromFile;
            f[16] *= kLinearKeFromFile;
            f[17] *= kRotaryKeFromFile;
            f[18] *= kCoilWeightFromFile;
        }
        f[4] *= kInertiaFromFile;
        Set("MotorType", f[1]);
        Set("CountsPerX", f[2]);
        Set("Inertia", f[4]);
        Set("Inductance", f[5]);
        Set("RHot", f[6]);
        Set("PoleCount", f[7]);
        Set("ICS", f[8]);
        Set("CommOffset", f[9]);
        Set("CommSrc", f[10]);
        Set("ShowMetric", f[11]);
        Set("PoleSpacing", f[12]);
        Set("EncoderResolution", f[13]);
        Set("HallOffset", f[14]);
        Set("ThermalTimeConst", f[15]);
        Set("LinearKe", f[16]);
        Set("RotaryKe", f[17]);
        Set("CoilWeight", f[18]);
        Set("MaxVBus", f[19]);
    }
    if (reader.Failed())
        throw Error("Error reading file " + fileName);
    modified = false;
    return 1;
}

} // namespace tools700
