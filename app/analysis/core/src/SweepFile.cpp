#include "tools700/analysis/SweepFile.h"

#include "Printed.h"
#include "tools700/common/CsvField.h"
#include "tools700/common/Error.h"
#include "tools700/common/NumberText.h"
#include "tools700/config/AtomicFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace tools700::analysis {

namespace {

// More sample lines than any capture holds: a file beyond it is no sweep file.
constexpr std::size_t kMaxSamples = 1000000;

std::vector<std::string> SplitCsv(const std::string &line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::optional<double> Number(const std::string &text)
{
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos)
        return std::nullopt;
    const std::string s = text.substr(b, e - b + 1);
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// "Velocity Feedback (Rpm)": the signal and, in the last parentheses, its unit.
void SplitHeading(const std::string &heading, SweepChannel &channel)
{
    const std::size_t open = heading.rfind(" (");
    if (open != std::string::npos && !heading.empty() && heading.back() == ')') {
        channel.signal = heading.substr(0, open);
        channel.unit = heading.substr(open + 2, heading.size() - open - 3);
    } else {
        channel.signal = heading;
    }
}

bool StartsWith(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

// The comment lines this module writes and reads back.
void ReadComment(const std::string &text, Sweep &sweep, SweepView &view, std::array<SweepChannel, 2> &channels)
{
    double a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
    int i = 0, j = 0;
    if (StartsWith(text, "Timebase: ")) {
        // "0.01 sec / div (1 ms per sample)" or "1 ms per sample".
        const std::size_t at = text.find(" ms per sample");
        if (at != std::string::npos) {
            std::size_t from = text.find_last_of("( ", at - 1);
            from = from == std::string::npos ? 10 : from + 1;
            if (const auto ms = Number(text.substr(from, at - from)); ms && *ms > 0)
                sweep.timebaseMs = *ms;
        }
    } else if (StartsWith(text, "Trigger: ")) {
        sweep.trigger = text.substr(9);
    } else if (std::sscanf(text.c_str(), "Ch%d scale: %lf, offset: %lf", &i, &a, &b) == 3 && (i == 1 || i == 2)) {
        channels[static_cast<std::size_t>(i - 1)].scale = a;
        channels[static_cast<std::size_t>(i - 1)].offset = b;
    } else if (std::sscanf(text.c_str(), "View cursor A: %lf s", &a) == 1) {
        view.cursorA = a;
    } else if (std::sscanf(text.c_str(), "View cursor B: %lf s", &a) == 1) {
        view.cursorB = a;
    } else if (std::sscanf(text.c_str(), "View zoom: %lf %lf s, Ch1 %lf %lf, Ch2 %lf %lf", &a, &b, &c, &d, &e, &f) == 6) {
        view.zoom = std::array<SweepView::Range, 3>{{{a, b}, {c, d}, {e, f}}};
    } else if (std::sscanf(text.c_str(), "View figures: Ch%d against %d", &i, &j) == 2 && (i == 1 || i == 2) &&
               j >= 0 && j <= 2 && j != i) {
        view.figureChannel = i;
        view.commandChannel = j;
    }
}

} // namespace

std::optional<SweepFile> ReadSweepFile(const std::string &path, std::string &error)
{
    const numtext::CNotation cNotation; // strtod and sscanf read the file's C notation
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Can't open file " + path;
        return std::nullopt;
    }
    SweepFile file;
    Sweep common;
    std::array<SweepChannel, 2> channels;
    bool headed = false;
    int frame = -1;
    std::size_t samples = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && StartsWith(line, "\xEF\xBB\xBF"))
            line.erase(0, 3);
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (line[0] == '#') {
            ReadComment(line.substr(line.find_first_not_of("# ") == std::string::npos ? line.size()
                                                                                       : line.find_first_not_of("# ")),
                        common, file.view, channels);
            continue;
        }
        const std::vector<std::string> fields = SplitCsv(line);
        const std::string where = path + ", line " + std::to_string(number) + ": ";
        if (!headed) {
            if (fields.size() != 4 || fields[0] != "Frame" || !StartsWith(fields[1], "Time")) {
                error = where + "this is not a sweep file (its heading is not \"Frame,Time (s),<channel 1>,<channel 2>\")";
                return std::nullopt;
            }
            SplitHeading(fields[2], channels[0]);
            SplitHeading(fields[3], channels[1]);
            headed = true;
            continue;
        }
        if (fields.size() != 4) {
            error = where + "a sample line holds 4 fields, this one " + std::to_string(fields.size());
            return std::nullopt;
        }
        std::optional<double> values[4];
        for (std::size_t k = 0; k < 4; ++k)
            if (!(values[k] = Number(fields[k]))) {
                error = where + "\"" + fields[k] + "\" is not a number";
                return std::nullopt;
            }
        if (*values[0] < 1 || *values[0] != std::floor(*values[0]) || *values[0] > 1e9) {
            error = where + "the frame \"" + fields[0] + "\" is not a whole number from 1";
            return std::nullopt;
        }
        if (++samples > kMaxSamples) {
            error = path + ": more than " + std::to_string(kMaxSamples) + " samples; this is not a sweep file";
            return std::nullopt;
        }
        if (static_cast<int>(*values[0]) != frame) {
            frame = static_cast<int>(*values[0]);
            file.frames.emplace_back();
        }
        Sweep &sweep = file.frames.back();
        sweep.seconds.push_back(*values[1]);
        sweep.channels[0].values.push_back(*values[2]);
        sweep.channels[1].values.push_back(*values[3]);
    }
    if (in.bad()) {
        error = "Error reading file " + path;
        return std::nullopt;
    }
    if (file.frames.empty()) {
        error = path + " holds no sweep" + (headed ? " (no sample lines)" : " (no \"Frame,Time (s),...\" heading)");
        return std::nullopt;
    }
    const std::size_t count = file.frames.size();
    std::size_t n = 0;
    for (Sweep &sweep : file.frames) {
        for (std::size_t k = 0; k < 2; ++k) {
            std::vector<double> values = std::move(sweep.channels[k].values);
            sweep.channels[k] = channels[k];
            sweep.channels[k].values = std::move(values);
        }
        sweep.timebaseMs = common.timebaseMs;
        sweep.trigger = common.trigger;
        ++n;
        sweep.origin = path;
        if (count > 1)
            sweep.origin += ", frame " + std::to_string(n) + " of " + std::to_string(count);
    }
    return file;
}

bool WriteSweepFile(const std::string &path, const Sweep &sweep, const SweepView &view,
                    const std::vector<std::string> &notes, std::string &error)
{
    std::string text;
    if (sweep.timebaseMs > 0)
        text += Printed("# Timebase: %.15g ms per sample\n", sweep.timebaseMs);
    if (!sweep.trigger.empty())
        text += "# Trigger: " + sweep.trigger + "\n";
    if (!sweep.origin.empty())
        text += "# Origin: " + sweep.origin + "\n";
    for (int ch = 1; ch <= 2; ++ch)
        text += "# Ch" + std::to_string(ch) +
                Printed(" scale: %.15g, offset: %.15g\n", sweep.Channel(ch).scale, sweep.Channel(ch).offset);
    if (view.cursorA)
        text += Printed("# View cursor A: %.9g s\n", *view.cursorA);
    if (view.cursorB)
        text += Printed("# View cursor B: %.9g s\n", *view.cursorB);
    if (view.zoom) {
        const auto &z = *view.zoom;
        text += Printed("# View zoom: %.9g %.9g s, Ch1 %.9g %.9g, Ch2 %.9g %.9g\n", z[0].low, z[0].high, z[1].low, z[1].high,
                       z[2].low, z[2].high);
    }
    text += "# View figures: Ch" + std::to_string(view.figureChannel) + " against " +
            std::to_string(view.commandChannel) + "\n";
    for (const std::string &note : notes)
        text += "# " + note + "\n";
    text += "Frame,Time (s)," + CsvField(sweep.channels[0].signal + " (" + sweep.channels[0].unit + ")") + "," +
            CsvField(sweep.channels[1].signal + " (" + sweep.channels[1].unit + ")") + "\n";
    const auto &v1 = sweep.channels[0].values, &v2 = sweep.channels[1].values;
    for (std::size_t i = 0; i < sweep.size(); ++i)
        text += Printed("1,%.6f,%.9g,%.9g\n", sweep.seconds[i], i < v1.size() ? v1[i] : 0.0, i < v2.size() ? v2[i] : 0.0);
    // A failed write leaves the file that was there before (a kept reference, an earlier save).
    try {
        WriteFileAtomically(path, text);
    } catch (const Error &e) {
        error = e.what();
        return false;
    }
    return true;
}

} // namespace tools700::analysis
