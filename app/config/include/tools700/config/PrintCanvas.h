// The few printer operations the listing needs: a job with a title, text at device coordinates,
// the text height, the page height and new pages. One canvas draws on a Qt printer or a PDF
// file (tools700_config_print), one writes plain text (TextCanvas).
#pragma once

#include <string>

namespace tools700 {

class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;
    virtual void SetTitle(const std::string &title) = 0;
    virtual void BeginDoc() = 0;
    virtual void EndDoc() = 0;
    virtual void NewPage() = 0;
    virtual int TextHeight(const std::string &text) = 0;
    virtual int PageHeight() = 0;
    virtual void TextOut(int x, int y, const std::string &text) = 0;
};

} // namespace tools700

#include <ctime>
#include <functional>
#include <vector>

namespace tools700 {

// The date and time of a page header in the user's locale format.
std::string LocalDateTimeText(std::time_t when);
// A value as the listing shows it: its enumeration text, an integer, or "#0.00000".
std::string ListingValueText(const std::string &name, double value);

// The listing's page layout, for any list of body lines: a print job titled `name` + " (700Tools)";
// on every page the header (`name`, the date and time `when`, "Page " and the number) at the top
// and the body from the second line on, as many lines as the page holds; `progress` before each
// line with the fraction printed.
void PrintListingPages(PrintCanvas &canvas, const std::string &name, const std::vector<std::string> &lines,
                       const std::function<void(double)> &progress, std::time_t when);

} // namespace tools700
