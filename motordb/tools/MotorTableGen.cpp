// Build-time generator of the built-in motor table.
//
//   mdb700_tablegen <motors.csv> <output.cpp>
//
// Reads the CSV motor table, checks every rule the library and its callers rely on (row count,
// fixed fields, ranges, name lengths, unique names, harmonic profiles, bus and peak ratings) and
// writes the table as C++. A table that breaks a rule produces no output: every broken rule is
// reported as "file:line: ..." and the program exits with status 1, which fails the build.
#include "BuiltinMotors.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using mdb700::kHarmonicCount;

// Columns of the table, in order. The figure columns follow the order of MotorFigures.
std::vector<std::string> ExpectedColumns()
{
    std::vector<std::string> cols = {"name",   "source",     "Type", "CountsPerX", "Ke",
                                     "Inertia", "Inductance", "RHot", "PoleCount",  "ICS"};
    for (int i = 0; i < kHarmonicCount; ++i)
        cols.push_back("CosHarm" + std::to_string(i));
    for (int i = 0; i < kHarmonicCount; ++i)
        cols.push_back("SinHarm" + std::to_string(i));
    for (const char *c : {"Ave_normT6stp", "CommOffset", "CommSrc", "ShowMetric", "PoleSpacing",
                          "EncoderResolution", "HallOffset", "ThermalTimeConst", "LinearKe",
                          "RotaryKe", "CoilWeight", "MaxVBus", "PeakToCont"})
        cols.push_back(c);
    return cols;
}

constexpr int kFigureCount = 8 + 2 * kHarmonicCount + 13;
static_assert(sizeof(mdb700::MotorFigures) == kFigureCount * sizeof(double),
              "the table columns must match MotorFigures");

// Values of the ideal harmonic profile.
constexpr double kIdealCos1 = 0.5;
constexpr double kIdealSin1 = 0.8660254;
constexpr double kIdealAve = 0.95493;
constexpr std::size_t kIdealProfiles = 190;
constexpr std::size_t kMeasuredProfiles = 42;
constexpr double kMeasuredAveMin = -0.948455;
constexpr double kMeasuredAveMax = 0.953933;

struct Row {
    int line = 0;
    std::string name;
    std::array<double, kFigureCount> v{};
};

// Column positions within Row::v (the figure columns after name and source).
enum Col {
    cType = 0, cCountsPerX, cKe, cInertia, cInductance, cRHot, cPoleCount, cICS,
    cCos0, cSin0 = cCos0 + kHarmonicCount,
    cAve = cSin0 + kHarmonicCount, cCommOffset, cCommSrc, cShowMetric, cPoleSpacing,
    cEncoderResolution, cHallOffset, cThermalTimeConst, cLinearKe, cRotaryKe, cCoilWeight,
    cMaxVBus, cPeakToCont
};
static_assert(cPeakToCont == kFigureCount - 1);

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> SplitCsv(const std::string &line)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);
        out.push_back(Trim(std::string_view(line).substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

bool ParseNumber(const std::string &text, double &out)
{
    const char *b = text.data();
    const char *e = b + text.size();
    if (b != e && *b == '+')
        ++b;
    auto [ptr, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && ptr == e && b != e && std::isfinite(out);
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class Checker {
public:
    explicit Checker(std::string file) : file_(std::move(file)) {}

    void Fail(int line, const std::string &what)
    {
        ++errors_;
        if (errors_ <= 60)
            std::cerr << file_ << ":" << line << ": " << what << "\n";
    }
    int errors() const { return errors_; }
    const std::string &file() const { return file_; }

private:
    std::string file_;
    int errors_ = 0;
};

// A figure as the messages show it.
std::string Fmt(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

// A figure as the generated code holds it: enough digits to give back the same double.
std::string Exact(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

void CheckRow(Checker &ck, const Row &r)
{
    auto where = [&](const char *field) { return "motor " + r.name + ": " + field + " "; };
    const struct { int col; const char *field; double value; } fixed[] = {
        {cType, "Type", 0},           {cCountsPerX, "CountsPerX", 0},
        {cCommSrc, "CommSrc", 0},     {cShowMetric, "ShowMetric", 1},
        {cHallOffset, "HallOffset", 0}, {cEncoderResolution, "EncoderResolution", 0},
        {cPoleSpacing, "PoleSpacing", 0}, {cLinearKe, "LinearKe", 0},
        {cRotaryKe, "RotaryKe", 0},   {cCoilWeight, "CoilWeight", 0},
    };
    for (const auto &f : fixed)
        if (r.v[f.col] != f.value)
            ck.Fail(r.line, where(f.field) + Fmt(r.v[f.col]) + " must be " + Fmt(f.value) +
                                " for every built-in motor");

    const struct { int col; const char *field; double lo, hi; } ranges[] = {
        {cKe, "Ke", 0.04, 2.77},
        {cInertia, "Inertia", 1.7e-06, 0.0139},
        {cInductance, "Inductance", 0.6, 77.1},
        {cRHot, "RHot", 0.09, 86},
        {cICS, "ICS", 0.94, 85.4},
        {cCommOffset, "CommOffset", 0, 240},
        {cThermalTimeConst, "ThermalTimeConst", 1.5, 72},
    };
    for (const auto &g : ranges)
        if (r.v[g.col] < g.lo || r.v[g.col] > g.hi)
            ck.Fail(r.line, where(g.field) + Fmt(r.v[g.col]) + " is outside " + Fmt(g.lo) +
                                ".." + Fmt(g.hi));

    auto oneOf = [&](int col, const char *field, std::initializer_list<double> allowed,
                     const char *text) {
        for (double a : allowed)
            if (r.v[col] == a)
                return;
        ck.Fail(r.line, where(field) + Fmt(r.v[col]) + " must be " + text);
    };
    oneOf(cPoleCount, "PoleCount", {4, 6, 8, 10}, "4, 6, 8 or 10");
    oneOf(cMaxVBus, "MaxVBus", {640, 320, 0}, "640, 320 or 0");
    oneOf(cPeakToCont, "PeakToCont", {5, 4, 3, 0}, "5, 4, 3 or 0");
}

bool IsIdealProfile(const Row &r)
{
    for (int i = 0; i < kHarmonicCount; ++i) {
        double c = r.v[cCos0 + i], s = r.v[cSin0 + i];
        if (c != (i == 1 ? kIdealCos1 : 0.0) || s != (i == 1 ? kIdealSin1 : 0.0))
            return false;
    }
    return true;
}

// The rows of the table in `in`, each checked on its own; `lineNo` ends at the last line read.
std::vector<Row> ReadRows(std::istream &in, Checker &ck, int &lineNo)
{
    const std::vector<std::string> columns = ExpectedColumns();
    std::vector<Row> rows;
    std::set<std::string> seen;
    bool haveHeader = false;
    std::string line;
    while (std::getline(in, line)) {
        ++lineNo;
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#')
            continue;
        std::vector<std::string> cells = SplitCsv(t);
        if (!haveHeader) {
            haveHeader = true;
            if (cells != columns) {
                std::string expected;
                for (const auto &c : columns)
                    expected += (expected.empty() ? "" : ",") + c;
                ck.Fail(lineNo, "the header row must read: " + expected);
                break;
            }
            continue;
        }
        if (cells.size() != columns.size()) {
            ck.Fail(lineNo, "a row has " + std::to_string(cells.size()) + " fields, not " +
                                std::to_string(columns.size()));
            continue;
        }
        Row r;
        r.line = lineNo;
        r.name = cells[0];
        bool printable = true;
        for (unsigned char c : r.name)
            printable = printable && c > 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '/';
        if (!printable)
            ck.Fail(lineNo, "motor name \"" + r.name +
                                "\" may hold only printable characters other than blank, "
                                "quote, slash and backslash");
        if (r.name.size() < 4 || r.name.size() > 6)
            ck.Fail(lineNo, "motor name \"" + r.name + "\" must have 4 to 6 characters");
        if (!seen.insert(Lower(r.name)).second)
            ck.Fail(lineNo, "motor name \"" + r.name + "\" is used twice (names ignore case)");
        if (!cells[1].empty())
            ck.Fail(lineNo, "motor " + r.name + ": source must be empty for a built-in motor");
        for (int i = 0; i < kFigureCount; ++i)
            if (!ParseNumber(cells[2 + i], r.v[i]))
                ck.Fail(lineNo, "motor " + r.name + ": " + columns[2 + i] + " \"" + cells[2 + i] +
                                    "\" is not a finite number");
        rows.push_back(r);
    }
    if (!haveHeader)
        ck.Fail(lineNo, "the table has no header row");
    return rows;
}

// The rules of the table as a whole: its size and its harmonic profiles.
void CheckTable(Checker &ck, const std::vector<Row> &rows, int lineNo)
{
    if (rows.size() != mdb700::kBuiltinMotorCount)
        ck.Fail(lineNo, "the table has " + std::to_string(rows.size()) + " motors; it must have " +
                            std::to_string(mdb700::kBuiltinMotorCount));

    std::size_t ideal = 0, measured = 0, negative = 0;
    for (const Row &r : rows) {
        CheckRow(ck, r);
        if (IsIdealProfile(r)) {
            ++ideal;
            if (r.v[cAve] != kIdealAve)
                ck.Fail(r.line, "motor " + r.name + ": Ave_normT6stp " + Fmt(r.v[cAve]) +
                                    " must be 0.95493 with the ideal harmonic profile");
        } else {
            ++measured;
            if (r.v[cAve] < kMeasuredAveMin || r.v[cAve] > kMeasuredAveMax)
                ck.Fail(r.line, "motor " + r.name + ": Ave_normT6stp " + Fmt(r.v[cAve]) +
                                    " of a measured profile is outside -0.948455..0.953933");
            if (r.v[cAve] < 0)
                ++negative;
        }
    }
    if (ideal != kIdealProfiles || measured != kMeasuredProfiles)
        ck.Fail(lineNo, std::to_string(ideal) + " motors have the ideal harmonic profile and " +
                            std::to_string(measured) + " a measured one; the table must have " +
                            std::to_string(kIdealProfiles) + " and " +
                            std::to_string(kMeasuredProfiles));
    if (measured > 0 && negative == 0)
        ck.Fail(lineNo, "no measured profile has a negative Ave_normT6stp; some must");
}

// The generated source of the built-in table.
std::string GeneratedTable(const std::vector<Row> &rows)
{
    std::ostringstream out;
    out << "// Generated by mdb700_tablegen from the motor table. Do not edit: edit the table.\n"
           "#include \"BuiltinMotors.h\"\n\nnamespace mdb700 {\n\n"
           "const BuiltinMotor kBuiltinMotors[kBuiltinMotorCount] = {\n";
    for (const Row &r : rows) {
        out << "    {\"" << r.name << "\", {";
        for (int i = 0; i < kFigureCount; ++i) {
            if (i == cCos0 || i == cSin0)
                out << "{";
            out << Exact(r.v[i]);
            if (i == cCos0 + kHarmonicCount - 1 || i == cSin0 + kHarmonicCount - 1)
                out << "}";
            if (i + 1 < kFigureCount)
                out << ", ";
        }
        out << "}},\n";
    }
    out << "};\n\n} // namespace mdb700\n";
    return out.str();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: mdb700_tablegen <motors.csv> <output.cpp>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot open the motor table\n";
        return 1;
    }
    Checker ck(argv[1]);
    int lineNo = 0;
    const std::vector<Row> rows = ReadRows(in, ck, lineNo);
    CheckTable(ck, rows, lineNo);

    if (ck.errors() > 0) {
        std::cerr << ck.file() << ": the motor table breaks " << ck.errors()
                  << " rule(s) and was not built into mdb700 (see docs/motordb.md)\n";
        return 1;
    }

    const std::string text = GeneratedTable(rows);
    std::ofstream o(argv[2], std::ios::binary | std::ios::trunc);
    o << text;
    if (!o) {
        std::cerr << argv[2] << ": cannot write the generated table\n";
        return 1;
    }
    return 0;
}
