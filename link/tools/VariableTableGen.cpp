// Build-time generator of the drive's variable table.
//
//   comm700_tablegen <variables.csv> link <output.inc>
//   comm700_tablegen <variables.csv> dictionary <output.inc>
//
// Reads the table of the drive's variables and commands, checks every rule the link library and
// the program rely on (order, names, kinds and ids, aliases, the dictionary's columns, counts)
// and writes the rows one of them needs: the link's wire symbols (name, kind, id) or the
// dictionary's entries (every column). A table that breaks a rule produces no output: every
// broken rule is reported as "file:line: ..." and the program exits with status 1, which fails
// the build. The tool knows nothing of either library's code but the wire header's constants.
#include "tools700/names/Names.h"
#include "tools700/wire/SymbolTable.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tools700::wire;
namespace names = tools700::names;

const std::vector<std::string> kColumns = {"name",     "kind",    "id",      "alias_of", "shown_as", "units",
                                           "topic",    "read_only", "cfg730", "cfg740",   "list730",  "list740",
                                           "min",      "max",     "default", "help"};
enum Col { cName, cKind, cId, cAliasOf, cShownAs, cUnits, cTopic, cReadOnly, cCfg730, cCfg740, cList730,
           cList740, cMin, cMax, cDefault, cHelp };
constexpr int kFirstDictionaryColumn = cUnits;

// The drive's id ranges, by kind: every id is used, some by two names.
constexpr std::array<const char *, 3> kKindNames = {"int", "float", "command"};
static_assert(kSymInt == 0 && kSymFloat == 1 && kSymCmd == 2, "the kinds index kKindNames");
constexpr std::array<int, 3> kIdCount = {182, 132, 6};
constexpr int kDictionaryCount = 329;
constexpr int kLastUnitCode = 38;

struct Row {
    int line = 0;
    std::vector<std::string> cells;
    int kind = 0;
    int id = 0;
    bool inDictionary = false;
    std::array<int, 7> flags{}; // units, topic, read_only, cfg730, cfg740, list730, list740
    std::array<double, 3> bounds{}; // min, max, default
};

class Checker {
public:
    explicit Checker(std::string file) : file_(std::move(file)) {}
    void Fail(int line, const std::string &what)
    {
        if (++errors_ <= 60)
            std::cerr << file_ << ":" << line << ": " << what << "\n";
    }
    int errors() const { return errors_; }
    const std::string &file() const { return file_; }

private:
    std::string file_;
    int errors_ = 0;
};

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

// Comma-separated fields; a field in double quotes may hold commas, and "" stands for a quote.
// Nothing when a quote is not closed or is followed by something other than a comma.
std::optional<std::vector<std::string>> SplitCsv(std::string_view line)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        std::string field;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i];
            }
            while (i < line.size() && line[i] == ' ')
                ++i;
            if (i < line.size() && line[i] != ',')
                return std::nullopt;
        } else {
            const std::size_t comma = std::min(line.find(',', i), line.size());
            field = Trim(line.substr(i, comma - i));
            i = comma;
        }
        out.push_back(std::move(field));
        if (i >= line.size())
            return out;
        ++i; // the comma
    }
}

bool ParseInt(const std::string &text, int &out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool ParseDouble(const std::string &text, double &out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(out);
}

bool IsIdentifier(const std::string &name)
{
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0])))
        return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '_')
            return false;
    return true;
}

// A C string literal of the text.
std::string Literal(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Reads and checks one data row's own fields; the rules between rows come later.
Row ReadRow(Checker &ck, int line, std::vector<std::string> cells)
{
    Row r;
    r.line = line;
    r.cells = std::move(cells);
    const std::string &name = r.cells[cName];
    auto fail = [&](const std::string &what) { ck.Fail(line, name + ": " + what); };
    if (!IsIdentifier(name))
        ck.Fail(line, "name \"" + name + "\" must be a letter followed by letters, digits and '_'");
    if (name.size() > kMaxSymbolName)
        fail("a name has at most " + std::to_string(kMaxSymbolName) + " characters");
    r.kind = -1;
    for (int k = 0; k < 3; ++k)
        if (r.cells[cKind] == kKindNames[k])
            r.kind = k;
    if (r.kind < 0)
        fail("kind \"" + r.cells[cKind] + "\" must be int, float or command");
    else if (!ParseInt(r.cells[cId], r.id) || r.id < 0 || r.id >= kIdCount[r.kind])
        fail("id \"" + r.cells[cId] + "\" is outside the " + r.cells[cKind] + " ids 0.." +
             std::to_string(kIdCount[r.kind] - 1));
    const std::string &shown = r.cells[cShownAs];
    if (!shown.empty() && (shown == name || !names::Equal(shown, name)))
        fail("shown_as \"" + shown + "\" must differ from the name in letter case only");

    int filled = 0;
    for (int c = kFirstDictionaryColumn; c < cHelp; ++c)
        filled += !r.cells[c].empty();
    r.inDictionary = filled > 0 || !r.cells[cHelp].empty();
    if (!r.inDictionary) {
        if (!shown.empty())
            fail("shown_as is the dictionary's spelling; the name is not in the dictionary");
        return r;
    }
    if (filled != cHelp - kFirstDictionaryColumn) {
        fail("the dictionary's columns (units to default) are all filled or all empty");
        return r;
    }
    for (int c = cUnits; c <= cList740; ++c)
        if (!ParseInt(r.cells[c], r.flags[c - cUnits]))
            fail(kColumns[c] + " \"" + r.cells[c] + "\" is not a whole number");
    for (int c = cMin; c <= cDefault; ++c) {
        double &v = r.bounds[c - cMin];
        if (!ParseDouble(r.cells[c], v))
            fail(kColumns[c] + " \"" + r.cells[c] + "\" is not a finite number in C notation");
        else if (r.kind == kSymInt && v != std::trunc(v))
            fail(kColumns[c] + " " + r.cells[c] + " of an int variable must be a whole number");
    }
    if (r.flags[0] < -1 || r.flags[0] > kLastUnitCode)
        fail("units " + r.cells[cUnits] + " must be -1..38");
    if (r.flags[1] < 0)
        fail("topic " + r.cells[cTopic] + " must be 0 or a help page number");
    for (int c = cReadOnly; c <= cList740; ++c)
        if (r.flags[c - cUnits] != 0 && r.flags[c - cUnits] != 1)
            fail(kColumns[c] + " must be 0 or 1");
    if (r.bounds[0] > r.bounds[1])
        fail("min " + r.cells[cMin] + " is above max " + r.cells[cMax]);
    if (r.kind == kSymCmd && (r.flags[cCfg730 - cUnits] || r.flags[cCfg740 - cUnits]))
        fail("a command belongs to no configuration (cfg730 and cfg740 0)");
    if (r.kind == kSymCmd && (r.bounds[0] != 0 || r.bounds[1] != 0 || r.bounds[2] != 0))
        fail("a command has min, max and default 0");
    for (unsigned char c : r.cells[cHelp])
        if (c < 0x20 || c > 0x7E)
            fail("the help text holds a character other than printable ASCII");
    return r;
}

// The rules between rows: order, aliases, every id used, counts.
void CheckTable(Checker &ck, const std::vector<Row> &rows, int lastLine)
{
    std::map<std::string, const Row *, names::Less> byName;   // any letter case
    std::map<std::pair<int, int>, const Row *> byId;          // kind, id -> first name
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row &r = rows[i];
        const std::string &name = r.cells[cName];
        if (auto it = byName.find(name); it != byName.end())
            ck.Fail(r.line, name + ": the name is used twice (names ignore letter case): line " +
                                std::to_string(it->second->line));
        else if (i > 0 && names::Compare(rows[i - 1].cells[cName], name) > 0)
            ck.Fail(r.line, name + ": out of order; the rows are sorted by name ignoring letter case, and " +
                                name + " comes before " + rows[i - 1].cells[cName]);
        byName.emplace(name, &r);
        if (r.kind < 0)
            continue;
        const std::string &aliasOf = r.cells[cAliasOf];
        const auto key = std::make_pair(r.kind, r.id);
        auto first = byId.find(key);
        if (aliasOf.empty()) {
            if (first != byId.end())
                ck.Fail(r.line, name + ": " + r.cells[cKind] + " id " + std::to_string(r.id) + " is " +
                                    first->second->cells[cName] +
                                    "'s; a second name for it says so in alias_of");
            else
                byId.emplace(key, &r);
            continue;
        }
        auto target = byName.find(aliasOf);
        if (target == byName.end() || target->second == &r)
            ck.Fail(r.line, name + ": alias_of \"" + aliasOf + "\" must name an earlier row");
        else if (target->second->kind != r.kind || target->second->id != r.id)
            ck.Fail(r.line, name + ": alias_of " + aliasOf + " must have the same kind and id");
        else if (!target->second->cells[cAliasOf].empty())
            ck.Fail(r.line, name + ": alias_of " + aliasOf + " is itself an alias; name the first row");
    }
    for (int k = 0; k < 3; ++k)
        for (int id = 0; id < kIdCount[k]; ++id)
            if (!byId.contains({k, id}))
                ck.Fail(lastLine, std::string(kKindNames[k]) + " id " + std::to_string(id) + " has no name");
    int inDictionary = 0;
    for (const Row &r : rows)
        inDictionary += r.inDictionary;
    if (rows.size() != static_cast<std::size_t>(kWireSymbolCount) || inDictionary != kDictionaryCount)
        ck.Fail(lastLine, "the table has " + std::to_string(rows.size()) + " names, " +
                              std::to_string(inDictionary) + " of them in the dictionary; it must have " +
                              std::to_string(kWireSymbolCount) + ", " + std::to_string(kDictionaryCount) +
                              " of them in the dictionary");
}

std::string LinkRows(const std::vector<Row> &rows)
{
    constexpr std::array<const char *, 3> kinds = {"kSymInt", "kSymFloat", "kSymCmd"};
    std::ostringstream out;
    out << "// Generated by comm700_tablegen from the variable table. Do not edit: edit the table.\n";
    for (const Row &r : rows)
        out << "    {" << Literal(r.cells[cName]) << ", " << kinds[r.kind] << ", " << r.id << "},\n";
    return out.str();
}

std::string DictionaryRows(const std::vector<Row> &rows)
{
    std::ostringstream out;
    out << "// Generated by comm700_tablegen from the variable table. Do not edit: edit the table.\n";
    for (const Row &r : rows) {
        if (!r.inDictionary)
            continue;
        const std::string &shown = r.cells[cShownAs].empty() ? r.cells[cName] : r.cells[cShownAs];
        out << "    {" << Literal(shown) << ", " << r.kind << ", " << r.id;
        for (int c = cUnits; c <= cDefault; ++c)
            out << ", " << r.cells[c];
        out << ", " << Literal(r.cells[cHelp]) << "},\n";
    }
    return out.str();
}

} // namespace

int main(int argc, char **argv)
{
    const std::string target = argc == 4 ? argv[2] : "";
    if (target != "link" && target != "dictionary") {
        std::cerr << "usage: comm700_tablegen <variables.csv> link|dictionary <output.inc>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot open the variable table\n";
        return 1;
    }
    Checker ck(argv[1]);
    std::vector<Row> rows;
    bool haveHeader = false;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#')
            continue;
        std::optional<std::vector<std::string>> cells = SplitCsv(t);
        if (!cells) {
            ck.Fail(lineNo, "a quoted field is not closed, or something follows its closing quote");
            continue;
        }
        if (!haveHeader) {
            haveHeader = true;
            if (*cells != kColumns) {
                std::string expected;
                for (const auto &c : kColumns)
                    expected += (expected.empty() ? "" : ",") + c;
                ck.Fail(lineNo, "the header row must read: " + expected);
                break;
            }
            continue;
        }
        if (cells->size() != kColumns.size()) {
            ck.Fail(lineNo, "a row has " + std::to_string(cells->size()) + " fields, not " +
                                std::to_string(kColumns.size()));
            continue;
        }
        rows.push_back(ReadRow(ck, lineNo, std::move(*cells)));
    }
    if (!haveHeader)
        ck.Fail(lineNo, "the table has no header row");
    else
        CheckTable(ck, rows, lineNo);

    if (ck.errors() > 0) {
        std::cerr << ck.file() << ": the variable table breaks " << ck.errors()
                  << " rule(s) and was not built (see docs/link.md)\n";
        return 1;
    }
    const std::string text = target == "link" ? LinkRows(rows) : DictionaryRows(rows);
    std::ofstream o(argv[3], std::ios::binary | std::ios::trunc);
    o << text;
    if (!o) {
        std::cerr << argv[3] << ": cannot write the generated table\n";
        return 1;
    }
    return 0;
}
