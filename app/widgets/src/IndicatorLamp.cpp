#include "tools700/widgets/IndicatorLamp.h"

#include "tools700/widgets/Accessibility.h"

#include <QAccessible>
#include <QPainter>
#include <QRadialGradient>

namespace tools700 {

TIndicatorLamp::TIndicatorLamp(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    InstallAccessibleWidgets();
}

void TIndicatorLamp::SetLit(bool lit)
{
    if (lit_ == lit)
        return;
    lit_ = lit;
    Changed(true);
}

void TIndicatorLamp::SetCaption(const QString &caption)
{
    if (caption_ == caption)
        return;
    caption_ = caption;
    Changed(false);
}

void TIndicatorLamp::SetColors(const QColor &lit, const QColor &unlit)
{
    litColor_ = lit;
    unlitColor_ = unlit;
    update();
}

void TIndicatorLamp::Changed(bool stateChanged)
{
    update();
    if (stateChanged) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleValueChangeEvent event(this, caption_);
        QAccessible::updateAccessibility(&event);
    }
}

QSize TIndicatorLamp::sizeHint() const
{
    const int d = fontMetrics().height() + 4;
    return {d + 6 + fontMetrics().horizontalAdvance(caption_.isEmpty() ? QStringLiteral("Off") : caption_) + 4, d + 2};
}

void TIndicatorLamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = qMin<qreal>(height() - 2, fontMetrics().height() + 4);
    const QRectF lamp(1, (height() - d) / 2, d, d);
    const QColor base = lit_ ? litColor_ : unlitColor_;
    QRadialGradient glow(lamp.center() - QPointF(d / 6, d / 6), d * 0.7);
    glow.setColorAt(0, lit_ ? base.lighter(170) : base.lighter(130));
    glow.setColorAt(0.6, base);
    glow.setColorAt(1, base.darker(lit_ ? 130 : 170));
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(glow);
    p.drawEllipse(lamp);
    if (!isEnabled()) {
        p.setBrush(QColor(128, 128, 128, 120));
        p.drawEllipse(lamp);
    }
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(QRectF(lamp.right() + 6, 0, width() - lamp.right() - 6, height()), Qt::AlignLeft | Qt::AlignVCenter,
               caption_);
}

} // namespace tools700
