#include "tools700/widgets/Dial.h"

#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace tools700 {

namespace {

// The scale runs over 300 degrees, from the lower left (240°) clockwise to the lower right (-60°).
constexpr double kStartDeg = 240.0;
constexpr double kSweepDeg = 300.0;

} // namespace

TDial::TDial(QWidget *parent) : QDial(parent)
{
    setNotchesVisible(false);
    setWrapping(false);
    setFocusPolicy(Qt::StrongFocus);
}

void TDial::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const double size = qMin(width(), height());
    const QPointF c(width() / 2.0, height() / 2.0);
    const double outer = size / 2.0 - 2;
    const double knob = outer * 0.62;
    const int span = qMax(1, maximum() - minimum());
    auto angleOf = [&](double v) {
        return (kStartDeg - kSweepDeg * (v - minimum()) / span) * std::numbers::pi / 180.0;
    };
    auto at = [&](double a, double r) { return QPointF(c.x() + r * std::cos(a), c.y() - r * std::sin(a)); };

    // Scale.
    QFont small = font();
    small.setPixelSize(qMax(7, int(size / 12)));
    p.setFont(small);
    p.setPen(palette().color(group, QPalette::WindowText));
    for (int v = minimum(); v <= maximum(); v += step_) {
        const double a = angleOf(v);
        p.drawLine(at(a, knob + 3), at(a, knob + 8));
        const QPointF t = at(a, (knob + outer + 6) / 2.0 + 2);
        p.drawText(QRectF(t.x() - 15, t.y() - 7, 30, 14), Qt::AlignCenter, QString::number(v));
    }

    // Knob with its pointer.
    QRadialGradient g(c - QPointF(knob / 3, knob / 3), knob * 1.6);
    g.setColorAt(0, palette().color(group, QPalette::Light));
    g.setColorAt(1, palette().color(group, QPalette::Dark));
    p.setPen(QPen(palette().color(group, QPalette::Shadow), 1.5));
    p.setBrush(g);
    p.drawEllipse(c, knob, knob);
    p.setPen(QPen(palette().color(group, QPalette::Highlight), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(angleOf(value()), knob * 0.35), at(angleOf(value()), knob * 0.92));

    p.setPen(palette().color(group, QPalette::ButtonText));
    p.drawText(QRectF(c.x() - knob, c.y() + knob * 0.1, 2 * knob, knob * 0.6), Qt::AlignCenter,
               unit_.isEmpty() ? QString::number(value()) : QString::number(value()) + QLatin1Char(' ') + unit_);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace tools700
