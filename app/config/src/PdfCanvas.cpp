#include "tools700/config/PdfCanvas.h"

#include "tools700/common/AtomicFile.h"

#include <cstdio>

namespace tools700 {

namespace {
// Device units are tenths of a point. A4 is 595 x 842 points; a margin of half an inch
// (36 points) surrounds the printable area the listing sees.
constexpr int kUnitsPerPoint = 10;
constexpr int kPageWidthPt = 595;
constexpr int kPageHeightPt = 842;
constexpr int kMarginPt = 36;
constexpr int kFontSizePt = 10;

// A PDF string literal in WinAnsi: UTF-8 Latin-1 characters are mapped, other characters
// become '?'; the delimiters are escaped.
std::string PdfString(const std::string &text)
{
    std::string out = "(";
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned code = c;
        if (c >= 0x80) {
            if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
                code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
                ++i;
            } else {
                code = '?';
                while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80)
                    ++i;
            }
            if (code > 0xFF || code < 0xA0)
                code = '?';
        }
        if (code == '(' || code == ')' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code < 0x20) {
            out += ' ';
        } else if (code < 0x80) {
            out += static_cast<char>(code);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", code);
            out += buf;
        }
    }
    out += ')';
    return out;
}
} // namespace

PdfCanvas::PdfCanvas(std::string fileName) : file_(std::move(fileName)) {}

void PdfCanvas::BeginDoc()
{
    pages_.clear();
    pages_.emplace_back();
}

void PdfCanvas::NewPage() { pages_.emplace_back(); }

int PdfCanvas::TextHeight(const std::string &) { return kFontSizePt * kUnitsPerPoint; }

int PdfCanvas::PageHeight() { return (kPageHeightPt - 2 * kMarginPt) * kUnitsPerPoint; }

void PdfCanvas::TextOut(int x, int y, const std::string &text)
{
    if (pages_.empty())
        pages_.emplace_back();
    // PDF measures y upwards from the bottom; the listing measures down from the top of the
    // printable area to the top of the text. The baseline sits one font size lower.
    const double px = kMarginPt + x / static_cast<double>(kUnitsPerPoint);
    const double py = kPageHeightPt - kMarginPt - y / static_cast<double>(kUnitsPerPoint) - kFontSizePt;
    char pos[64];
    std::snprintf(pos, sizeof pos, "%d %d Td ", static_cast<int>(px), static_cast<int>(py));
    pages_.back() += "BT /F1 " + std::to_string(kFontSizePt) + " Tf " + pos + PdfString(text) + " Tj ET\n";
}

void PdfCanvas::EndDoc()
{
    if (pages_.empty())
        pages_.emplace_back();
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    auto object = [&](const std::string &body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    const size_t n = pages_.size();
    // 1 catalog, 2 page tree, 3 font, 4 info, then page i: 5 + 2i, its contents: 6 + 2i.
    object("<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (size_t i = 0; i < n; ++i)
        kids += std::to_string(5 + 2 * i) + " 0 R ";
    object("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(n) + " >>");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");
    object("<< /Title " + PdfString(title_) + " /Producer (700Tools) >>");
    for (size_t i = 0; i < n; ++i) {
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(kPageWidthPt) + " " +
               std::to_string(kPageHeightPt) + "] /Resources << /Font << /F1 3 0 R >> >> /Contents " +
               std::to_string(6 + 2 * i) + " 0 R >>");
        object("<< /Length " + std::to_string(pages_[i].size()) + " >>\nstream\n" + pages_[i] +
               "endstream");
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t off : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
           " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    WriteFileAtomically(file_, pdf);
}

} // namespace tools700
