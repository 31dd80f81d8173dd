// A print canvas that writes plain text: one text row per line height, pages separated by a
// form feed. The x position is ignored; the listing draws every line at the same x.
#pragma once

#include "tools700/config/PrintCanvas.h"

#include <map>
#include <ostream>
#include <string>

namespace tools700 {

class TextCanvas : public PrintCanvas {
public:
    // rowsPerPage text rows fit a page; the listing then puts rowsPerPage - 4 body lines on it.
    explicit TextCanvas(std::ostream &out, int rowsPerPage = 66);

    void SetTitle(const std::string &title) override { title_ = title; }
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    int TextHeight(const std::string &text) override;
    int PageHeight() override;
    void TextOut(int x, int y, const std::string &text) override;

    const std::string &Title() const { return title_; }
    int Pages() const { return pages_; }

private:
    void FlushPage();

    std::ostream &out_;
    int rows_;
    std::string title_;
    std::map<int, std::string> page_; // row -> text
    int pages_ = 0;
};

} // namespace tools700
