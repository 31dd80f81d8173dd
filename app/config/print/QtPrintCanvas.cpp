#include "tools700/config/QtPrintCanvas.h"

#include <QFontMetrics>

#include <algorithm>

namespace tools700 {

QtPrintCanvas::QtPrintCanvas(QPagedPaintDevice &device, const QFont &font,
                             std::function<void(const QString &)> setTitle)
    : device_(device), font_(font), setTitle_(std::move(setTitle))
{
}

QtPrintCanvas::~QtPrintCanvas()
{
    if (painter_ && painter_->isActive())
        painter_->end();
}

void QtPrintCanvas::SetTitle(const std::string &title)
{
    if (setTitle_)
        setTitle_(QString::fromStdString(title));
}

void QtPrintCanvas::BeginDoc()
{
    painter_ = std::make_unique<QPainter>(&device_);
    painter_->setFont(font_);
}

void QtPrintCanvas::EndDoc()
{
    if (painter_)
        painter_->end();
    painter_.reset();
}

void QtPrintCanvas::NewPage() { device_.newPage(); }

int QtPrintCanvas::TextHeight(const std::string &text)
{
    // The font's full line height (ascent + descent), at least the text's own bounding box.
    QFontMetrics metrics(font_, &device_);
    return std::max(metrics.height(), metrics.boundingRect(QString::fromStdString(text)).height());
}

int QtPrintCanvas::PageHeight() { return device_.height(); }

void QtPrintCanvas::TextOut(int x, int y, const std::string &text)
{
    if (!painter_)
        return;
    // y is the top of the text, as on the printer canvas of the listing.
    QFontMetrics metrics(font_, &device_);
    painter_->drawText(x, y + metrics.ascent(), QString::fromStdString(text));
}

} // namespace tools700
