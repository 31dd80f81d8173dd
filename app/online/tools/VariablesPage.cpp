// Writes the help page of the drive variables from the dictionary: one row per variable with its
// type, unit, bounds and description, and every variable's name among the page's keywords, so
// that a keyword search for a variable's name (F1 on a name box of the on-line window) opens it.
//
//   online_variables_page OUTPUT.html
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace tools700;

namespace {

std::string Escaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A unit chosen by a rule from another variable's value.
std::string UnitColumn(const SymtabEntry &e)
{
    if (e.units < 0)
        return "depends on the drive's settings";
    return UnitCodeText(e.units).value_or("");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: online_variables_page OUTPUT.html\n");
        return 2;
    }
    std::string keywords = "drive variables; variables; parameters";
    std::string rows;
    for (const SymtabEntry &e : Dictionary()) {
        if (e.type == kCommand)
            continue;
        keywords += "; ";
        keywords += e.name;
        rows += "<tr><td class=\"ui\"><a name=\"" + Escaped(e.name) + "\"></a>" + Escaped(e.name) + "</td><td>" +
                (e.type == kIntegerVar ? "integer" : "real") + (e.readOnly ? ", read only" : "") + "</td><td>" +
                Escaped(UnitColumn(e)) + "</td><td>" +
                Escaped(HasEnum(e.name) ? std::string("a choice of named values") : Dictionary().BoundsText(e.name)) +
                "</td><td>" + Escaped(e.help ? e.help : "") + "</td></tr>\n";
    }
    std::ofstream out(argv[1], std::ios::trunc);
    out << "<html><head><title>Drive variables</title>\n"
           "<meta name=\"context\" content=\"702\">\n"
           "<meta name=\"keywords\" content=\""
        << keywords
        << "\">\n<link rel=\"stylesheet\" href=\"style.css\">\n</head><body>\n"
           "<h1>Drive variables</h1>\n"
           "<p>The variables the on-line window can show, with the limits the drive takes for them. Press "
           "<span class=\"ui\">F1</span> in a name box of the <a href=\"online.html\">On-Line Drive "
           "Configuration</a> window to find the variable it names.</p>\n"
           "<table>\n<tr><th>Name</th><th>Type</th><th>Unit</th><th>Values</th><th>Description</th></tr>\n"
        << rows
        << "</table>\n<p class=\"see\">See also: <a href=\"online.html\">On-Line Drive Configuration</a>, "
           "<a href=\"index.html\">Contents</a></p>\n</body></html>\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "online_variables_page: can't write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
