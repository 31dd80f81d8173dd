// The printed listing on the text canvas and on the PDF canvas, read back with pdftotext.
#include "ListingText.h"
#include "TempDir.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/PdfCanvas.h"
#include "tools700/config/TextCanvas.h"
#include "tools700/dictionary/Symtab.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tools700;
using testutil::NormalizedPages;

namespace {
// A canvas that records every call, to check positions and page breaks exactly.
struct RecordingCanvas : PrintCanvas {
    int textHeight = 10, pageHeight = 240; // line height 12, L = 240 / 12 - 2 = 18
    std::vector<std::string> calls;
    std::string title;
    void SetTitle(const std::string &t) override { title = t; }
    void BeginDoc() override { calls.push_back("begin"); }
    void EndDoc() override { calls.push_back("end"); }
    void NewPage() override { calls.push_back("page"); }
    int TextHeight(const std::string &) override { return textHeight; }
    int PageHeight() override { return pageHeight; }
    void TextOut(int x, int y, const std::string &t) override
    {
        calls.push_back(std::to_string(x) + "," + std::to_string(y) + ":" + t);
    }
};

const std::time_t kWhen = 1700000000;
} // namespace

TEST(Listing, PagesHeadersAndLineNumbers)
{
    Cfg cfg;
    RecordingCanvas canvas;
    std::vector<double> progress;
    EXPECT_EQ(cfg.Print(canvas, "my.cfg", true, [&](double f) { progress.push_back(f); }, 733, kWhen), 1);
    EXPECT_EQ(canvas.title, "my.cfg (700Tools)");
    const size_t n = cfg.PrimaryList().size();
    ASSERT_EQ(progress.size(), n);
    EXPECT_DOUBLE_EQ(progress.front(), 1.0 / static_cast<double>(n));
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);

    const std::string header = "150,0:my.cfg    " + LocalDateTimeText(kWhen) + "    Page ";
    ASSERT_GE(canvas.calls.size(), 3u);
    EXPECT_EQ(canvas.calls[0], "begin");
    EXPECT_EQ(canvas.calls[1], header + "1");
    EXPECT_EQ(canvas.calls.back(), "end");
    // L = 18: 16 body lines per page, at y = 24, 36, ...; a new page after every 16th.
    int page = 1, onPage = 0, number = 0;
    for (size_t i = 2; i + 1 < canvas.calls.size(); ++i) {
        const std::string &c = canvas.calls[i];
        if (c == "page") {
            EXPECT_EQ(onPage, 16);
            ++page;
            ASSERT_EQ(canvas.calls[++i], header + std::to_string(page));
            onPage = 0;
            continue;
        }
        ++number;
        char num[16];
        std::snprintf(num, sizeof num, "%3d", number);
        EXPECT_EQ(c.rfind("150," + std::to_string(24 + 12 * onPage) + ":" + num + "   ", 0), 0u) << c;
        ++onPage;
    }
    EXPECT_EQ(static_cast<size_t>(number), n);
    EXPECT_EQ(page, static_cast<int>((n + 15) / 16) + (n % 16 == 0 ? 1 : 0));
}

TEST(Listing, ValueTextsUnitsAndTheShortList)
{
    Cfg cfg;
    cfg.Set("Kvp", 12.5);
    cfg.Set("BlkType", 0);
    cfg.Set("CmdGain", 2);
    std::ostringstream out;
    TextCanvas canvas(out, 1000);
    cfg.Print(canvas, "x", true, {}, 733, kWhen);
    const std::string text = out.str();
    EXPECT_NE(text.find("   Kvp = 12.50000 amps/rad/sec\n"), std::string::npos);
    EXPECT_NE(text.find("   BlkType = Analog Torque Block \n"), std::string::npos);
    EXPECT_NE(text.find("   CmdGain = 2.00000 amps/volt\n"), std::string::npos);
    EXPECT_NE(text.find("  1   "), std::string::npos);

    std::ostringstream shortOut;
    TextCanvas shortCanvas(shortOut, 1000);
    cfg.Print(shortCanvas, "x", false, {}, 733, kWhen);
    auto pages = NormalizedPages(shortOut.str());
    ASSERT_EQ(pages.size(), 1u);
    size_t listed = 0;
    for (TQX *t : cfg.PrimaryList())
        listed += Dictionary().Listed730(t->VarName()) ? 1 : 0;
    EXPECT_EQ(pages[0].size(), listed + 1);

    // A 740-family model lists the secondary list.
    std::ostringstream out740;
    TextCanvas canvas740(out740, 1000);
    cfg.Print(canvas740, "x", true, {}, 1745, kWhen);
    EXPECT_EQ(NormalizedPages(out740.str())[0].size(), cfg.SecondaryList().size() + 1);
}

TEST(Listing, TextCanvasPutsLMinusTwoLinesOnAPage)
{
    Cfg cfg;
    std::ostringstream out;
    TextCanvas canvas(out, 22); // L = 20
    cfg.Print(canvas, "short", false, {}, 733, kWhen);
    auto pages = NormalizedPages(out.str());
    size_t listed = 0;
    for (TQX *t : cfg.PrimaryList())
        listed += Dictionary().Listed730(t->VarName()) ? 1 : 0;
    size_t total = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
        ASSERT_FALSE(pages[p].empty());
        EXPECT_EQ(pages[p][0].rfind("short ", 0), 0u);
        EXPECT_NE(pages[p][0].find("Page " + std::to_string(p + 1)), std::string::npos);
        if (p + 1 < pages.size() && total + 18 < listed) {
            EXPECT_EQ(pages[p].size(), 19u) << "page " << p + 1;
        }
        total += pages[p].size() - 1;
    }
    EXPECT_EQ(total, listed);
}

TEST(Listing, PdfReadsBackAsTheTextListingPageBreaksIncluded)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    testutil::TempDir dir;
    Cfg cfg;
    cfg.Set("Kvp", 3.25);
    const std::string pdf = dir.File("listing.pdf");
    PdfCanvas pdfCanvas(pdf);
    cfg.Print(pdfCanvas, "pdf test", true, {}, 733, kWhen);
    // The same listing as text with as many rows per page as the PDF page holds.
    const int rows = pdfCanvas.PageHeight() / static_cast<int>(1.2 * pdfCanvas.TextHeight("W"));
    std::ostringstream text;
    TextCanvas textCanvas(text, rows);
    cfg.Print(textCanvas, "pdf test", true, {}, 733, kWhen);
    EXPECT_GT(pdfCanvas.Pages(), 2);
    EXPECT_EQ(pdfCanvas.Pages(), textCanvas.Pages());
    EXPECT_EQ(NormalizedPages(testutil::PdfToText(pdf)), NormalizedPages(text.str()));
}
