#include "tools700/widgets/RockerSwitch.h"

#include "tools700/widgets/Accessibility.h"

#include <QAccessible>

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>

namespace tools700 {

TRockerSwitch::TRockerSwitch(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    InstallAccessibleWidgets();
}

void TRockerSwitch::SetOn(bool on)
{
    if (on_ == on)
        return;
    on_ = on;
    update();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void TRockerSwitch::Click() { emit clicked(); }

void TRockerSwitch::SetCaptions(const QString &onText, const QString &offText)
{
    onText_ = onText;
    offText_ = offText;
    update();
}

QSize TRockerSwitch::sizeHint() const { return {240, 96}; }

void TRockerSwitch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int h = height();
    // Housing of the rocker.
    const QRectF housing(4, 4, 52, h - 8);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.setBrush(QColor(55, 55, 60));
    p.drawRoundedRect(housing, 6, 6);

    // The rocker: the pressed half is darker and sits lower, the raised half catches the light.
    const QRectF top(housing.left() + 6, housing.top() + 6, housing.width() - 12, housing.height() / 2 - 6);
    const QRectF bottom(top.left(), housing.center().y(), top.width(), top.height());
    auto paintHalf = [&](const QRectF &r, bool pressedHalf) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        if (pressedHalf) {
            g.setColorAt(0, QColor(40, 40, 44));
            g.setColorAt(1, QColor(70, 70, 76));
        } else {
            g.setColorAt(0, QColor(150, 150, 160));
            g.setColorAt(1, QColor(95, 95, 105));
        }
        p.setPen(QPen(QColor(20, 20, 20), 1));
        p.setBrush(g);
        p.drawRoundedRect(r, 3, 3);
    };
    paintHalf(top, on_ != pressed_);
    paintHalf(bottom, on_ == pressed_);
    p.setPen(QColor(230, 230, 230));
    QFont small = font();
    small.setBold(true);
    p.setFont(small);
    p.drawText(top, Qt::AlignCenter, QStringLiteral("I"));
    p.drawText(bottom, Qt::AlignCenter, QStringLiteral("O"));

    // The lamp.
    const QPointF lampCentre(housing.right() + 24, housing.center().y());
    const qreal r = 11;
    QRadialGradient lamp(lampCentre - QPointF(3, 3), r * 1.4);
    if (on_) {
        lamp.setColorAt(0, QColor(255, 255, 190));
        lamp.setColorAt(0.5, QColor(255, 200, 0));
        lamp.setColorAt(1, QColor(190, 110, 0));
    } else {
        lamp.setColorAt(0, QColor(150, 120, 90));
        lamp.setColorAt(1, QColor(60, 45, 30));
    }
    p.setPen(QPen(QColor(25, 25, 25), 2));
    p.setBrush(lamp);
    p.drawEllipse(lampCentre, r, r);

    // Captions of the two positions.
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QRectF textArea(lampCentre.x() + r + 6, housing.top(), width() - lampCentre.x() - r - 8,
                          housing.height());
    p.drawText(QRectF(textArea.left(), top.top(), textArea.width(), top.height()),
               Qt::AlignLeft | Qt::AlignVCenter, onText_);
    p.drawText(QRectF(textArea.left(), bottom.top(), textArea.width(), bottom.height()),
               Qt::AlignLeft | Qt::AlignVCenter, offText_);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TRockerSwitch::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        update();
    }
}

void TRockerSwitch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    update();
    if (rect().contains(event->position().toPoint()))
        Click();
}

void TRockerSwitch::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Click();
    else
        QWidget::keyPressEvent(event);
}

} // namespace tools700
