// Tab bars as the accessibility bus sees them: one page tab per tab, named by its caption, selected
// while its page is shown, invisible while the tab is hidden (a page the current mode does not
// use), and pressed as by a click.
#include "AccessibleInterfaces.h"

#include <QAccessibleWidget>
#include <QTabBar>

#include <map>

namespace tools700::accessible {

namespace {

class AccessibleTabBar;

class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleTab(AccessibleTabBar *bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {QAccessibleActionInterface::pressAction()}; }
    void doAction(const QString &action) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QTabBar *Bar() const;

    AccessibleTabBar *bar_;
    int index_;
};

class AccessibleTabBar : public QAccessibleWidget {
public:
    explicit AccessibleTabBar(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~AccessibleTabBar() override
    {
        for (const auto &[index, id] : tabs_)
            QAccessible::deleteAccessibleInterface(id);
    }

    QTabBar *Bar() const { return static_cast<QTabBar *>(widget()); }

    int childCount() const override { return Bar()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto found = tabs_.find(index);
        if (found == tabs_.end()) {
            const QAccessible::Id id =
                QAccessible::registerAccessibleInterface(new AccessibleTab(const_cast<AccessibleTabBar *>(this), index));
            found = tabs_.emplace(index, id).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (const auto &[index, id] : tabs_)
            if (QAccessible::accessibleInterface(id) == child)
                return index;
        return -1;
    }
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
    mutable std::map<int, QAccessible::Id> tabs_;
};

QTabBar *AccessibleTab::Bar() const { return bar_->Bar(); }

bool AccessibleTab::isValid() const { return bar_->isValid() && index_ < Bar()->count(); }

QWindow *AccessibleTab::window() const { return bar_->window(); }

QAccessibleInterface *AccessibleTab::parent() const { return bar_; }

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
