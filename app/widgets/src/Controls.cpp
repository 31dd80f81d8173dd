#include "tools700/widgets/Controls.h"

#include "tools700/widgets/Accessibility.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tools700 {

QLabel *NewLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *NewButton(QWidget *parent, const QString &name, const QString &caption, EnterKey enter,
                       const QString &hint)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    if (enter == EnterKey::NeverPresses)
        button->setAutoDefault(false);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

QLineEdit *NewEdit(QWidget *parent, const QString &name, QLabel *label)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (label) {
        label->setBuddy(edit);
        NameControl(edit, label->text());
    }
    return edit;
}

} // namespace tools700
