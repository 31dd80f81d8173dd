// The listing's canvas on a Qt paged device: a QPrinter (a real printer, or PDF output) or a
// QPdfWriter. Device coordinates are the device's own; the font is the one the print dialog chose.
#pragma once

#include "tools700/config/PrintCanvas.h"

#include <QFont>
#include <QPainter>
#include <QPagedPaintDevice>

#include <functional>
#include <memory>

namespace tools700 {

class QtPrintCanvas : public PrintCanvas {
public:
    // The device must outlive the canvas. `setTitle` hands the job title to the device
    // (QPrinter::setDocName, QPdfWriter::setTitle); it may be empty.
    QtPrintCanvas(QPagedPaintDevice &device, const QFont &font,
                  std::function<void(const QString &)> setTitle = {});
    ~QtPrintCanvas() override;

    void SetTitle(const std::string &title) override;
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    int TextHeight(const std::string &text) override;
    int PageHeight() override;
    void TextOut(int x, int y, const std::string &text) override;

private:
    QPagedPaintDevice &device_;
    QFont font_;
    std::function<void(const QString &)> setTitle_;
    std::unique_ptr<QPainter> painter_;
};

} // namespace tools700
