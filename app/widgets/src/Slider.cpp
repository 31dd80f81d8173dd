#include "tools700/widgets/Slider.h"

#include "tools700/common/NumberText.h"
#include "tools700/widgets/UserNumbers.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace tools700 {

TScaleSlider::TScaleSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(sizeHint().height());
}

void TScaleSlider::SetScale(int steps, int subSteps)
{
    steps_ = qMax(1, steps);
    subSteps_ = qMax(1, subSteps);
    setPageStep(qMax(1, (maximum() - minimum()) / steps_));
    update();
}

QSize TScaleSlider::sizeHint() const
{
    const int line = fontMetrics().height();
    return {320, 22 + 10 + line * 2 + 6};
}

QRect TScaleSlider::Groove() const
{
    const int margin = fontMetrics().horizontalAdvance(QStringLiteral("0000")) / 2 + 8;
    return {margin, 8, width() - 2 * margin, 6};
}

void TScaleSlider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect groove = Groove();
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const int span = qMax(1, maximum() - minimum());
    auto xOf = [&](double v) { return groove.left() + (v - minimum()) * groove.width() / span; };

    // Groove, filled up to the value.
    p.setPen(QPen(palette().color(group, QPalette::Dark), 1));
    p.setBrush(palette().color(group, QPalette::Base));
    p.drawRoundedRect(groove, 3, 3);
    QRectF filled(groove.left(), groove.top(), xOf(value()) - groove.left(), groove.height());
    p.setBrush(palette().color(group, QPalette::Highlight));
    p.drawRoundedRect(filled, 3, 3);

    // Scale: major ticks with numbers, minor ticks between.
    const int tickTop = groove.bottom() + 6;
    p.setPen(palette().color(group, QPalette::WindowText));
    const int ticks = steps_ * subSteps_;
    for (int i = 0; i <= ticks; ++i) {
        const double v = minimum() + double(span) * i / ticks;
        const double x = xOf(v);
        const bool major = i % subSteps_ == 0;
        p.drawLine(QPointF(x, tickTop), QPointF(x, tickTop + (major ? 7 : 3)));
        if (major) {
            const QString number = UserNumberText(numtext::General(v, numtext::kCPoint, 6));
            QString text = number;
            if (i == ticks && !unit_.isEmpty())
                text += QLatin1Char(' ') + unit_;
            const int w = fontMetrics().horizontalAdvance(text);
            const double left = i == ticks && !unit_.isEmpty() ? x - w + fontMetrics().horizontalAdvance(number) / 2.0
                                                               : x - w / 2.0;
            p.drawText(QPointF(left, tickTop + 9 + fontMetrics().ascent()), text);
        }
    }

    // Captions under the left, middle and right part.
    if (!captions_.isEmpty()) {
        const int y = tickTop + 11 + fontMetrics().height();
        const int n = static_cast<int>(captions_.size());
        for (int i = 0; i < n; ++i) {
            const QRect part(groove.left() + groove.width() * i / n, y, groove.width() / n, fontMetrics().height());
            p.drawText(part, (i == 0 ? Qt::AlignLeft : i == n - 1 ? Qt::AlignRight : Qt::AlignHCenter) |
                                 Qt::AlignTop,
                       captions_[i]);
        }
    }

    // The handle.
    const QRectF handle(xOf(value()) - 6, groove.center().y() - 9, 12, 18);
    p.setPen(QPen(palette().color(group, QPalette::Shadow), 1));
    p.setBrush(palette().color(group, QPalette::Button));
    p.drawRoundedRect(handle, 3, 3);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace tools700
