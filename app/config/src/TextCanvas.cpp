#include "tools700/config/TextCanvas.h"

namespace tools700 {

namespace {
constexpr int kTextHeight = 5; // line height int(1.2 * 5) = 6 units per row
constexpr int kRowUnits = 6;
} // namespace

TextCanvas::TextCanvas(std::ostream &out, int rowsPerPage) : out_(out), rows_(rowsPerPage) {}

void TextCanvas::BeginDoc()
{
    page_.clear();
    pages_ = 1;
}

void TextCanvas::FlushPage()
{
    int row = 0;
    for (const auto &[r, text] : page_) {
        for (; row < r; ++row)
            out_ << '\n';
        out_ << text << '\n';
        row = r + 1;
    }
    page_.clear();
}

void TextCanvas::EndDoc()
{
    FlushPage();
    out_.flush();
}

void TextCanvas::NewPage()
{
    FlushPage();
    out_ << '\f';
    ++pages_;
}

int TextCanvas::TextHeight(const std::string &) { return kTextHeight; }

int TextCanvas::PageHeight() { return rows_ * kRowUnits; }

void TextCanvas::TextOut(int, int y, const std::string &text)
{
    std::string &row = page_[y / kRowUnits];
    row += text;
}

} // namespace tools700
