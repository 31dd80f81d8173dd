// The build-time check of the built-in motor table: the shipped table passes, and tables that
// break a rule are refused with a message that names the row and the rule.
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using motordbtest::TempFolder;

std::string ShippedTable()
{
    std::ifstream in(std::string(TOOLS700_SOURCE_DIR) + "/motordb/data/motors.csv");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct GenRun {
    int status;
    std::string output;
};

GenRun Generate(const TempFolder &dir, const std::string &table)
{
    std::string csv = dir.Write("motors.csv", table);
    std::string cmd = std::string("'") + MDB700_TABLEGEN + "' '" + csv + "' '" +
                      (dir.Path() / "out.cpp").string() + "' 2>&1";
    GenRun r{-1, {}};
    std::FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.output.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// Splits the table into its lines, lets `edit` change them, and joins them again.
std::string Edited(const std::function<void(std::vector<std::string> &)> &edit)
{
    std::vector<std::string> lines;
    std::stringstream s(ShippedTable());
    for (std::string l; std::getline(s, l);)
        lines.push_back(l);
    edit(lines);
    std::string out;
    for (const auto &l : lines)
        out += l + "\n";
    return out;
}

// Index of the data row of motor `name`.
std::size_t RowOf(const std::vector<std::string> &lines, const std::string &name)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(name + ",", 0) == 0)
            return i;
    return 0;
}

// Replaces field `col` (0 = name) of the row.
void SetField(std::string &row, int col, const std::string &value)
{
    std::size_t b = 0;
    for (int i = 0; i < col; ++i)
        b = row.find(',', b) + 1;
    std::size_t e = row.find(',', b);
    row.replace(b, e == std::string::npos ? std::string::npos : e - b, value);
}

TEST(MotorTableCheck, TheShippedTablePasses)
{
    TempFolder dir;
    GenRun r = Generate(dir, ShippedTable());
    EXPECT_EQ(r.status, 0) << r.output;
    std::ifstream gen(dir.Path() / "out.cpp");
    std::stringstream s;
    s << gen.rdbuf();
    EXPECT_NE(s.str().find("{\"KS041A\", {0, 0, 0.040000000000000001,"), std::string::npos);
}

TEST(MotorTableCheck, RefusesTablesThatBreakARule)
{
    const struct {
        const char *what;
        std::function<void(std::vector<std::string> &)> edit;
        const char *message;
    } cases[] = {
        {"a missing row", [](auto &l) { l.pop_back(); }, "the table has 231 motors; it must have 232"},
        {"a name twice in other case",
         [](auto &l) { SetField(l[RowOf(l, "KS041B")], 0, "ks041a"); }, "is used twice"},
        {"a short name", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 0, "KS0"); },
         "must have 4 to 6 characters"},
        {"a long name", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 0, "KS041BX"); },
         "must have 4 to 6 characters"},
        {"Ke out of range", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 4, "2.78"); },
         "motor KS041B: Ke 2.78 is outside 0.04..2.77"},
        {"a linear motor", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 2, "1"); },
         "Type 1 must be 0"},
        {"ShowMetric 0", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 53, "0"); },
         "ShowMetric 0 must be 1"},
        {"a source", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 1, "X"); },
         "source must be empty"},
        {"odd pole count", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 8, "5"); },
         "PoleCount 5 must be 4, 6, 8 or 10"},
        {"a 480 V bus", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 61, "480"); },
         "MaxVBus 480 must be 640, 320 or 0"},
        {"peak ratio 2", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 62, "2"); },
         "PeakToCont 2 must be 5, 4, 3 or 0"},
        {"not a number", [](auto &l) { SetField(l[RowOf(l, "KS041B")], 5, "nan"); },
         "Inertia \"nan\" is not a finite number"},
        {"a missing field", [](auto &l) { l[RowOf(l, "KS041B")] += ",1"; }, "a row has 64 fields, not 63"},
        {"191 ideal profiles",
         [](auto &l) {
             std::string &row = l[RowOf(l, "D010")];
             for (int c = 10; c < 50; ++c)
                 SetField(row, c, c == 11 ? "0.5" : c == 31 ? "0.8660254" : "0");
             SetField(row, 50, "0.95493");
         },
         "191 motors have the ideal harmonic profile and 41 a measured one"},
        {"ideal profile with another Ave",
         [](auto &l) { SetField(l[RowOf(l, "KS041B")], 50, "0.9549"); },
         "must be 0.95493 with the ideal harmonic profile"},
        {"measured Ave out of range",
         [](auto &l) { SetField(l[RowOf(l, "D010")], 50, "0.96"); }, "is outside -0.948455..0.953933"},
        {"a changed header", [](auto &l) { SetField(l[RowOf(l, "name")], 4, "KE"); },
         "the header row must read"},
    };
    TempFolder dir;
    for (const auto &c : cases) {
        GenRun r = Generate(dir, Edited(c.edit));
        EXPECT_EQ(r.status, 1) << c.what << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.what << "\n" << r.output;
        EXPECT_NE(r.output.find("was not built into mdb700"), std::string::npos) << c.what;
    }
}

} // namespace
