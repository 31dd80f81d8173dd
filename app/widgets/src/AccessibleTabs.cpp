// Tab bars as the accessibility bus sees them: one page tab per tab, named by its caption, selected
// while its page is shown, invisible while the tab is hidden (a page the current mode does not
// use), and pressed as by a click.
#include "AccessibleInterfaces.h"

#include <QAccessibleWidget>
#include <QTabBar>

namespace tools700::accessible {

namespace {

class AccessibleTabBar;

class AccessibleTab : public AccessiblePart {
public:
    AccessibleTab(AccessibleTabBar *bar, int index);

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override;

    QStringList actionNames() const override { return {QAccessibleActionInterface::pressAction()}; }
    void doAction(const QString &action) override;

private:
    QTabBar *Bar() const;

    AccessibleTabBar *bar_;
};

class AccessibleTabBar : public QAccessibleWidget {
public:
    explicit AccessibleTabBar(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}

    QTabBar *Bar() const { return static_cast<QTabBar *>(widget()); }

    int childCount() const override { return Bar()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto *self = const_cast<AccessibleTabBar *>(this);
        return tabs_.At(index, [self, index] { return new AccessibleTab(self, index); });
    }
    int indexOfChild(const QAccessibleInterface *child) const override { return tabs_.IndexOf(child); }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const int index = Bar()->tabAt(Bar()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 && Bar()->isTabVisible(index) ? child(index) : nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        return Bar()->hasFocus() ? child(Bar()->currentIndex()) : nullptr;
    }

private:
    mutable AccessibleParts tabs_;
};

AccessibleTab::AccessibleTab(AccessibleTabBar *bar, int index) : AccessiblePart(bar, index), bar_(bar) {}

QTabBar *AccessibleTab::Bar() const { return bar_->Bar(); }

bool AccessibleTab::isValid() const { return bar_->isValid() && index_ < Bar()->count(); }

QString AccessibleTab::text(QAccessible::Text t) const
{
    if (!isValid())
        return {};
    switch (t) {
    case QAccessible::Name:
        return PlainText(Bar()->tabText(index_), false, true);
    case QAccessible::Description:
        return Bar()->tabToolTip(index_);
    default:
        return {};
    }
}

QRect AccessibleTab::rect() const
{
    if (!isValid() || !Bar()->isTabVisible(index_))
        return {};
    const QRect r = Bar()->tabRect(index_);
    return {Bar()->mapToGlobal(r.topLeft()), r.size()};
}

QAccessible::State AccessibleTab::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    const QAccessible::State barState = bar_->state();
    s.invisible = barState.invisible || !Bar()->isTabVisible(index_);
    s.disabled = !Bar()->isTabEnabled(index_) || barState.disabled;
    s.selectable = true;
    s.focusable = true;
    s.selected = Bar()->currentIndex() == index_;
    s.focused = s.selected && Bar()->hasFocus();
    return s;
}

void AccessibleTab::doAction(const QString &action)
{
    if (isValid() && action == pressAction() && Bar()->isTabVisible(index_) && Bar()->isTabEnabled(index_) &&
        Bar()->isEnabled())
        Bar()->setCurrentIndex(index_);
}

} // namespace

QAccessibleInterface *TabInterfaceFor(QObject *object)
{
    if (auto *bar = qobject_cast<QTabBar *>(object))
        return new AccessibleTabBar(bar);
    return nullptr;
}

} // namespace tools700::accessible
