// The printed listing of a configuration.
#include "tools700/common/NumberText.h"
#include "tools700/config/PrintCanvas.h"
#include "tools700/config/ValueSet.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale.h>
#include <time.h>

namespace tools700 {

// The date and time in the user's locale (LC_TIME from the environment), whatever locale the
// process itself has set.
std::string LocalDateTimeText(std::time_t when)
{
    struct tm tmv {};
    localtime_r(&when, &tmv);
    locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (loc == static_cast<locale_t>(nullptr))
        loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    char buf[128];
    size_t n = strftime_l(buf, sizeof buf, "%x %X", &tmv, loc);
    freelocale(loc);
    return std::string(buf, n);
}

// The value as the listing shows it: enumeration text, integer, or "#0.00000".
std::string ListingValueText(const std::string &name, double value)
{
    if (HasEnum(name))
        return EnumText(name, TruncToInt(value));
    if (Dictionary().IsInteger(name)) {
        double tr = std::trunc(value);
        if (std::isnan(tr))
            tr = 0;
        return numtext::Fixed(tr, 0);
    }
    return numtext::Fixed(value, 5);
}

void PrintListingPages(PrintCanvas &canvas, const std::string &name, const std::vector<std::string> &lines,
                       const ProgressFn &progress, std::time_t when)
{
    const size_t count = lines.size();
    const int lineHeight = static_cast<int>(1.2 * canvas.TextHeight("W"));
    const int step = lineHeight > 0 ? lineHeight : 1;
    const int linesPerPage = canvas.PageHeight() / step - 2;

    canvas.SetTitle(name + " (700Tools)");
    const std::string dateTime = LocalDateTimeText(when);
    int page = 1;
    auto header = [&] { canvas.TextOut(150, 0, name + "    " + dateTime + "    Page " + std::to_string(page)); };
    canvas.BeginDoc();
    header();
    int y = 2 * lineHeight;
    int pageLine = 2;
    size_t number = 0;
    for (const std::string &line : lines) {
        ++number;
        if (progress)
            progress(static_cast<double>(number) / static_cast<double>(count));
        canvas.TextOut(150, y, line);
        y += lineHeight;
        ++pageLine;
        if (pageLine == linesPerPage) {
            canvas.NewPage();
            ++page;
            header();
            pageLine = 2;
            y = 2 * lineHeight;
        }
    }
    canvas.EndDoc();
}

int ValueSet::Print(PrintCanvas &canvas, const std::string &cfgName, bool full,
                    const ProgressFn &progress, int model, std::time_t when) const
{
    const Symtab &dict = Dictionary();
    const bool family740 = Is740Family(model);
    std::vector<std::string> lines;
    for (TQX *t : ListForModel(model)) {
        const std::string &n = t->VarName();
        if (!full && !(family740 ? dict.Listed740(n) : dict.Listed730(n)))
            continue;
        char num[16];
        std::snprintf(num, sizeof num, "%3d", static_cast<int>(lines.size() + 1));
        lines.push_back(std::string(num) + "   " + n + " = " + ListingValueText(n, Get(n)) + " " + UnitText(n, this));
    }
    PrintListingPages(canvas, cfgName, lines, progress, when);
    return 1;
}

} // namespace tools700
