// Combo boxes as the accessibility bus sees them: named by their label always (their text is their
// value, so an empty box and a box that shows its label's words differ), with the list of their
// entries, each of which a press or toggle chooses as a click on it does: the box takes the entry
// and tells its owner it was activated, so the window's handler of a choice runs.
#include "AccessibleInterfaces.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace tools700::accessible {

namespace {

// What a click on entry `row` of the open list does.
void Choose(QComboBox *box, int row)
{
    if (!box || !box->isEnabled() || row < 0 || row >= box->count())
        return;
    box->hidePopup();
    box->setCurrentIndex(row);
    emit box->activated(row);
    emit box->textActivated(box->itemText(row));
}

class AccessibleComboBox : public QAccessibleWidget {
public:
    explicit AccessibleComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *Box() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Box()->isEditable() && Box()->lineEdit() ? Box()->lineEdit()->text() : Box()->currentText();
        // The name is the box's label (its accessible name or its buddy label), whatever it shows.
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = Box()->isVisible() && Box()->view()->isVisible();
        s.editable = Box()->isEditable();
        return s;
    }
    int childCount() const override { return Box()->isEditable() && Box()->lineEdit() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(Box()->view());
        if (index == 1 && Box()->isEditable() && Box()->lineEdit())
            return QAccessible::queryAccessibleInterface(Box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == Box()->view())
            return 0;
        if (Box()->isEditable() && child->object() == Box()->lineEdit())
            return 1;
        return -1;
    }
    QAccessibleInterface *focusChild() const override
    {
        return Box()->isEditable() ? child(1) : nullptr;
    }
    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString &action) override
    {
        if (action == QAccessibleActionInterface::showMenuAction() || action == QAccessibleActionInterface::pressAction())
            Box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {QStringLiteral("Alt+Down")}; }
};

class AccessibleChoiceList;

// One entry of a combo box's list.
class AccessibleChoice : public AccessiblePart {
public:
    AccessibleChoice(AccessibleChoiceList *list, int row);

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::toggleAction()};
    }
    QString localizedActionDescription(const QString &) const override { return QStringLiteral("Chooses this entry"); }
    void doAction(const QString &action) override;

private:
    AccessibleChoiceList *list_;
};

// The list of a combo box's entries (its drop-down view).
class AccessibleChoiceList : public QAccessibleWidget {
public:
    AccessibleChoiceList(QAbstractItemView *view, QComboBox *box)
        : QAccessibleWidget(view, QAccessible::List), box_(box)
    {
    }

    QComboBox *Box() const { return box_; }
    QAbstractItemView *View() const { return static_cast<QAbstractItemView *>(widget()); }

    bool isValid() const override { return QAccessibleWidget::isValid() && box_; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && box_)
            return QAccessible::queryAccessibleInterface(box_.data())->text(QAccessible::Name);
        return QAccessibleWidget::text(t);
    }
    QAccessibleInterface *parent() const override
    {
        return box_ ? QAccessible::queryAccessibleInterface(box_.data()) : QAccessibleWidget::parent();
    }
    int childCount() const override { return box_ ? box_->count() : 0; }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto *self = const_cast<AccessibleChoiceList *>(this);
        return entries_.At(index, [self, index] { return new AccessibleChoice(self, index); });
    }
    int indexOfChild(const QAccessibleInterface *child) const override { return entries_.IndexOf(child); }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        if (!box_)
            return nullptr;
        const QModelIndex index = View()->indexAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

    QRect EntryRect(int row) const
    {
        if (!box_ || !View()->isVisible())
            return {};
        const QRect r = View()->visualRect(box_->model()->index(row, box_->modelColumn(), box_->rootModelIndex()));
        return {View()->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }

private:
    QPointer<QComboBox> box_;
    mutable AccessibleParts entries_;
};

AccessibleChoice::AccessibleChoice(AccessibleChoiceList *list, int row) : AccessiblePart(list, row), list_(list) {}

bool AccessibleChoice::isValid() const { return list_->isValid() && index_ < list_->childCount(); }

QString AccessibleChoice::text(QAccessible::Text t) const
{
    if ((t == QAccessible::Name || t == QAccessible::Value) && isValid())
        return list_->Box()->itemText(index_);
    return {};
}

QRect AccessibleChoice::rect() const { return list_->EntryRect(index_); }

QAccessible::State AccessibleChoice::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    QComboBox *box = list_->Box();
    s.selectable = true;
    s.focusable = true;
    s.selected = box->currentIndex() == index_;
    s.focused = s.selected && list_->View()->isVisible();
    s.invisible = !list_->View()->isVisible();
    s.disabled = !box->isEnabled();
    return s;
}

void AccessibleChoice::doAction(const QString &action)
{
    if (isValid() && (action == pressAction() || action == toggleAction()))
        Choose(list_->Box(), index_);
}

// The combo box whose drop-down list `view` is, if any.
QComboBox *BoxOfList(QAbstractItemView *view)
{
    for (QWidget *w = view->parentWidget(); w; w = w->parentWidget())
        if (auto *box = qobject_cast<QComboBox *>(w))
            return box->view() == view ? box : nullptr;
    return nullptr;
}

} // namespace

QAccessibleInterface *ChoiceInterfaceFor(QObject *object)
{
    if (auto *box = qobject_cast<QComboBox *>(object))
        return new AccessibleComboBox(box);
    if (auto *view = qobject_cast<QAbstractItemView *>(object))
        if (QComboBox *box = BoxOfList(view))
            return new AccessibleChoiceList(view, box);
    return nullptr;
}

} // namespace tools700::accessible
