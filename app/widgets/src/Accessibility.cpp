#include "tools700/widgets/Accessibility.h"

#include "tools700/widgets/IndicatorLamp.h"
#include "tools700/widgets/RockerSwitch.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QWidget>

#include <mutex>
#include <set>

namespace tools700 {

namespace {

// The rocker switch: a toggle button; pressing or toggling it is a click, and the owner decides
// the position, as with the mouse.
class AccessibleRockerSwitch : public QAccessibleWidget {
public:
    explicit AccessibleRockerSwitch(TRockerSwitch *w) : QAccessibleWidget(w, QAccessible::Button) {}

    TRockerSwitch *Switch() const { return static_cast<TRockerSwitch *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Switch()->IsOn();
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Switch()->PositionText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::toggleAction()};
    }
    void doAction(const QString &action) override
    {
        if (!Switch()->isEnabled())
            return;
        if (action == QAccessibleActionInterface::pressAction() || action == QAccessibleActionInterface::toggleAction())
            Switch()->Click();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {QStringLiteral("Space")}; }
};

// The indicator lamp: an indicator, checked while lit; its value is its caption.
class AccessibleLamp : public QAccessibleWidget {
public:
    explicit AccessibleLamp(TIndicatorLamp *w) : QAccessibleWidget(w, QAccessible::Indicator) {}

    TIndicatorLamp *Lamp() const { return static_cast<TIndicatorLamp *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Lamp()->IsLit();
        s.readOnly = true;
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? Lamp()->Caption() : name;
        }
        case QAccessible::Value:
            return Lamp()->Caption().isEmpty() ? (Lamp()->IsLit() ? QStringLiteral("On") : QStringLiteral("Off"))
                                               : Lamp()->Caption();
        case QAccessible::Description:
            return widget()->toolTip();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface *Factory(const QString &, QObject *object)
{
    if (auto *sw = qobject_cast<TRockerSwitch *>(object))
        return new AccessibleRockerSwitch(sw);
    if (auto *lamp = qobject_cast<TIndicatorLamp *>(object))
        return new AccessibleLamp(lamp);
    return nullptr;
}

bool Interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::Indicator:
    case QAccessible::ProgressBar:
    case QAccessible::Grouping:
        return true;
    default:
        return false;
    }
}

void Walk(QAccessibleInterface *iface, QStringList &out, std::set<QAccessibleInterface *> &seen, int depth)
{
    if (!iface || !iface->isValid() || depth > 64 || !seen.insert(iface).second)
        return;
    const QAccessible::Role role = iface->role();
    // A widget of no kind that takes the keyboard focus is a control nobody can tell apart.
    QWidget *w = qobject_cast<QWidget *>(iface->object());
    const bool focusableFiller = w && role == QAccessible::Client &&
                                 w->focusPolicy() != Qt::NoFocus && !w->isWindow();
    if ((Interactive(role) || focusableFiller) && iface->text(QAccessible::Name).trimmed().isEmpty()) {
        const QString kind = focusableFiller ? QStringLiteral("filler")
                                             : QString::number(static_cast<int>(role), 16).prepend(QStringLiteral("role 0x"));
        const QString name = iface->object() ? iface->object()->objectName() : QString();
        out << kind + QLatin1Char(' ') + (name.isEmpty() ? QStringLiteral("<unnamed object>") : name);
    }
    // A combo box's only child is its drop-down list, named by the box.
    if (role == QAccessible::ComboBox)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        Walk(iface->child(i), out, seen, depth + 1);
}

} // namespace

void InstallAccessibleWidgets()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(Factory); });
}

QStringList NamelessControls(QWidget *window)
{
    InstallAccessibleWidgets();
    QStringList out;
    std::set<QAccessibleInterface *> seen;
    Walk(QAccessible::queryAccessibleInterface(window), out, seen, 0);
    // Hidden widgets are not children in the accessibility tree: look at them one by one.
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->isVisibleTo(window) || w->window() != window)
            continue;
        Walk(QAccessible::queryAccessibleInterface(w), out, seen, 0);
    }
    out.removeDuplicates();
    return out;
}

void NameControl(QWidget *control, const QString &name)
{
    if (control)
        control->setAccessibleName(name);
}

} // namespace tools700
