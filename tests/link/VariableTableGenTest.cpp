// The build-time check of the drive's variable table: the shipped table passes and gives both
// tables, and tables that break a rule are refused with "file:line:" and the rule.
#include "../support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using testsupport::TempDir;

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct GenRun {
    int status = -1;
    std::string messages; // stderr
    std::string output;   // the generated rows
};

GenRun Generate(const TempDir &dir, const std::string &table, const char *target = "link")
{
    const std::string csv = dir.Write("variables.csv", table);
    const std::string out = dir.File("out.inc");
    std::remove(out.c_str());
    const std::string cmd = std::string("'") + COMM700_TABLEGEN + "' '" + csv + "' " + target + " '" + out + "' 2>&1";
    GenRun r;
    std::FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.messages.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.output = ReadFile(out);
    return r;
}

// The shipped table with `edit` applied to its lines.
std::string Edited(const std::function<void(std::vector<std::string> &)> &edit)
{
    std::vector<std::string> lines;
    std::stringstream s(ReadFile(std::string(TOOLS700_SOURCE_DIR) + "/link/data/variables.csv"));
    for (std::string l; std::getline(s, l);)
        lines.push_back(l);
    edit(lines);
    std::string out;
    for (const auto &l : lines)
        out += l + "\n";
    return out;
}

// The index of the row named `name`.
std::size_t RowOf(const std::vector<std::string> &lines, const std::string &name)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(name + ",", 0) == 0)
            return i;
    ADD_FAILURE() << "no row " << name;
    return 0;
}

// Replaces field `col` (0 = name; the help text is the last) of a row.
void SetField(std::string &row, int col, const std::string &value)
{
    std::size_t b = 0;
    for (int i = 0; i < col; ++i)
        b = row.find(',', b) + 1;
    const std::size_t e = col == 15 ? std::string::npos : row.find(',', b);
    row.replace(b, e == std::string::npos ? std::string::npos : e - b, value);
}

auto Set(const char *name, int col, const char *value)
{
    return [=](std::vector<std::string> &l) { SetField(l[RowOf(l, name)], col, value); };
}

} // namespace

TEST(VariableTableCheck, TheShippedTableGivesBothTables)
{
    TempDir dir;
    const std::string shipped = Edited([](auto &) {});
    GenRun link = Generate(dir, shipped, "link");
    ASSERT_EQ(link.status, 0) << link.messages;
    EXPECT_NE(link.output.find("    {\"DBGI\", kSymInt, 4},\n"), std::string::npos);
    EXPECT_NE(link.output.find("    {\"IR\", kSymFloat, 39},\n"), std::string::npos) << "names outside the dictionary";

    GenRun dictionary = Generate(dir, shipped, "dictionary");
    ASSERT_EQ(dictionary.status, 0) << dictionary.messages;
    EXPECT_NE(dictionary.output.find("    {\"DbgI\", 0, 4, 3, 0, "), std::string::npos) << "the program's spelling";
    EXPECT_EQ(dictionary.output.find("\"IR\""), std::string::npos);
    EXPECT_NE(dictionary.output.find("\"Controls bit 0 of the variable \\\"ActiveMove\\\"\"},\n"), std::string::npos)
        << "a quoted help text with quotes becomes a C string";
    EXPECT_NE(dictionary.output.find("\"Type of move (incremental, absolute, home, etc.)\"},\n"), std::string::npos);

    EXPECT_EQ(Generate(dir, shipped, "windows").status, 2) << "an unknown target is a usage error";
}

TEST(VariableTableCheck, RefusesTablesThatBreakARule)
{
    const struct {
        const char *what;
        std::function<void(std::vector<std::string> &)> edit;
        const char *message;
    } cases[] = {
        {"rows out of order", [](auto &l) { std::swap(l[RowOf(l, "Kvi")], l[RowOf(l, "Kvp")]); },
         ": Kvi: out of order; the rows are sorted by name ignoring letter case, and Kvi comes before Kvp"},
        {"a name twice in other case", Set("ActiveAccelRate", 0, "ACCELLMT"), "the name is used twice (names ignore letter case)"},
        {"a name that is no identifier", Set("ZeroSpeedThresh", 0, "Zero Speed"), "name \"Zero Speed\" must be a letter"},
        {"a name too long", Set("ZeroSpeedThresh", 0, "ZeroSpeedThresholdXYZ"), "a name has at most 20 characters"},
        {"an unknown kind", Set("Kvp", 1, "double"), "Kvp: kind \"double\" must be int, float or command"},
        {"an id out of range", Set("TableGen", 2, "6"), "TableGen: id \"6\" is outside the command ids 0..5"},
        {"an id twice", Set("Kvp", 2, "4"), "Kvp: float id 4 is ARF0's; a second name for it says so in alias_of"},
        {"an alias of another id", Set("Kvp", 3, "Kvi"), "Kvp: alias_of Kvi must have the same kind and id"},
        {"an alias of a later row", Set("ARF0_Tq", 3, "Kvp"), "ARF0_Tq: alias_of \"Kvp\" must name an earlier row"},
        {"an alias of an alias",
         [](auto &l) {
             SetField(l[RowOf(l, "IV")], 2, "39");
             SetField(l[RowOf(l, "IV")], 3, "IU");
         },
         "IV: alias_of IU is itself an alias; name the first row"},
        {"a missing id", [](auto &l) { l.erase(l.begin() + static_cast<long>(RowOf(l, "BaudRate"))); },
         "int id 40 has no name"},
        {"a respelling that is another name", Set("DBGI", 4, "DbgX"), "must differ from the name in letter case only"},
        {"a dictionary column left empty", Set("Kvp", 13, ""), "the dictionary's columns (units to default) are all filled"},
        {"a broken unit code", Set("Kvp", 5, "39"), "Kvp: units 39 must be -1..38"},
        {"a flag of 2", Set("Kvp", 8, "2"), "Kvp: cfg730 must be 0 or 1"},
        {"a fraction for an int", Set("AxisAddr", 13, "254.5"), "max 254.5 of an int variable must be a whole number"},
        {"a number in German notation", Set("Kvp", 12, "0,5"), "a row has 17 fields, not 16"},
        {"min above max", Set("Kvp", 12, "1e9"), "Kvp: min 1e9 is above max"},
        {"a command in a configuration", Set("NVSave", 8, "1"), "a command belongs to no configuration"},
        {"an unclosed quote", Set("Kvp", 15, "\"Velocity loop"), "a quoted field is not closed"},
        {"a changed header", Set("name", 5, "unit"), "the header row must read: name,kind,id,alias_of,"},
        {"a row left out of the dictionary",
         [](auto &l) {
             for (int c = 5; c <= 15; ++c)
                 SetField(l[RowOf(l, "Kvp")], c, "");
         },
         "the table has 335 names, 328 of them in the dictionary; it must have 335, 329"},
    };
    TempDir dir;
    for (const auto &c : cases) {
        GenRun r = Generate(dir, Edited(c.edit));
        EXPECT_EQ(r.status, 1) << c.what << "\n" << r.messages;
        EXPECT_NE(r.messages.find(c.message), std::string::npos) << c.what << "\n" << r.messages;
        EXPECT_NE(r.messages.find("variables.csv:"), std::string::npos) << c.what << ": file:line: is missing";
        EXPECT_NE(r.messages.find("the variable table breaks"), std::string::npos) << c.what;
        EXPECT_TRUE(r.output.empty()) << c.what << ": a broken table gives no output";
    }
}
