// The plain Qt controls every window builds, one line each: each gets its object name (what the
// tests and the accessibility audit find it by) and what else the windows give all of theirs.
#pragma once

#include <QRect>
#include <QString>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tools700 {

// A text of the Qt-free cores (UTF-8) as a QString.
inline QString Q(const std::string &text) { return QString::fromStdString(text); }

// A label showing `text` as plain text: a drive's or a file's text never turns into markup.
QLabel *NewLabel(QWidget *parent, const QString &name, const QString &text = QString());

// Whether Enter pressed in another control of a dialog may press the button: Qt's way (a dialog's
// first such button becomes its default), or never, for the windows that read Enter themselves.
enum class EnterKey { MayPress, NeverPresses };

// A push button with its caption and, when given, its tool tip.
QPushButton *NewButton(QWidget *parent, const QString &name, const QString &caption, EnterKey enter,
                       const QString &hint = QString());

// A line edit whose caption is `label`: the label is its buddy and names it for screen readers.
QLineEdit *NewEdit(QWidget *parent, const QString &name, QLabel *label);

// `widget`, moved to `at` (the windows laid out to the pixel).
template <class W> W *Placed(W *widget, const QRect &at)
{
    widget->setGeometry(at);
    return widget;
}

} // namespace tools700
