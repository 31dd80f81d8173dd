// The Qt printer canvas writing a PDF, read back with pdftotext, against the text listing.
#include "ListingText.h"
#include "TempDir.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/QtPrintCanvas.h"
#include "tools700/config/TextCanvas.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrinter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace tools700;

namespace {
int RowsPerPage(PrintCanvas &c) { return c.PageHeight() / static_cast<int>(1.2 * c.TextHeight("W")); }

void CheckAgainstText(Cfg &cfg, PrintCanvas &canvas, const std::string &pdf)
{
    const std::time_t when = 1700000000;
    const int rows = RowsPerPage(canvas);
    cfg.Print(canvas, "qt listing", true, {}, 733, when);
    std::ostringstream text;
    TextCanvas textCanvas(text, rows);
    cfg.Print(textCanvas, "qt listing", true, {}, 733, when);
    auto fromPdf = testutil::NormalizedPages(testutil::PdfToText(pdf));
    EXPECT_EQ(fromPdf.size(), static_cast<size_t>(textCanvas.Pages()));
    EXPECT_EQ(fromPdf, testutil::NormalizedPages(text.str()));
}
} // namespace

TEST(QtListing, PdfWriterOutputMatchesTheTextListing)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    testutil::TempDir dir;
    const std::string pdf = dir.File("qt.pdf");
    Cfg cfg;
    cfg.Set("Kvp", 7.125);
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setResolution(300);
        QFont font("Courier", 10);
        QtPrintCanvas canvas(writer, font, [&](const QString &t) { writer.setTitle(t); });
        CheckAgainstText(cfg, canvas, pdf);
    }
}

TEST(QtListing, PrinterInPdfModeMatchesTheTextListing)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    testutil::TempDir dir;
    const std::string pdf = dir.File("printer.pdf");
    Cfg cfg;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    QFont font("Courier", 9);
    QtPrintCanvas canvas(printer, font, [&](const QString &t) { printer.setDocName(t); });
    CheckAgainstText(cfg, canvas, pdf);
}

int main(int argc, char **argv)
{
    // Printing needs no display; test discovery runs without the test's environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
