// A print canvas that writes a PDF file itself, without any toolkit: A4 pages, 10-point Courier,
// one text object per TextOut. The command-line tool prints with it; the program's windows use
// the Qt printer canvas (tools700_config_print).
#pragma once

#include "tools700/config/PrintCanvas.h"

#include <string>
#include <vector>

namespace tools700 {

class PdfCanvas : public PrintCanvas {
public:
    // The file is written (atomically) by EndDoc; raises "Can't open file " / "Error writing
    // file " with the name when that fails.
    explicit PdfCanvas(std::string fileName);

    void SetTitle(const std::string &title) override { title_ = title; }
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    int TextHeight(const std::string &text) override;
    int PageHeight() override;
    void TextOut(int x, int y, const std::string &text) override;

    int Pages() const { return static_cast<int>(pages_.size()); }

private:
    std::string file_;
    std::string title_;
    std::vector<std::string> pages_; // content streams
};

} // namespace tools700
