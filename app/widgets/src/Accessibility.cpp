#include "tools700/widgets/Accessibility.h"

#include "AccessibleInterfaces.h"
#include "tools700/widgets/IndicatorLamp.h"
#include "tools700/widgets/RockerSwitch.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QWidget>

#include <mutex>
#include <set>

namespace tools700 {

namespace {

using accessible::AccessibleShown;

// The rocker switch: a toggle button named by its label; pressing or toggling it is a click, and
// the owner decides the position, as with the mouse. Its value (and text) is the caption of its
// position.
class AccessibleRockerSwitch : public AccessibleShown {
public:
    explicit AccessibleRockerSwitch(TRockerSwitch *w) : AccessibleShown(w, QAccessible::Button) {}

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
        return t == QAccessible::Value ? Shown() : QAccessibleWidget::text(t);
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

protected:
    QString Shown() const override { return Switch()->PositionText(); }
};

// The indicator lamp: an indicator, checked while lit, named by its accessible name or else its
// caption; its value and its text are its caption, so "?" (no communication) is heard and not
// only a lamp that is off. Its description is its tool tip.
class AccessibleLamp : public AccessibleShown {
public:
    explicit AccessibleLamp(TIndicatorLamp *w) : AccessibleShown(w, QAccessible::Indicator) {}

    TIndicatorLamp *Lamp() const { return static_cast<TIndicatorLamp *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Lamp()->IsLit();
        s.readOnly = true;
        return s;
    }

protected:
    QString Shown() const override
    {
        return Lamp()->Caption().isEmpty() ? (Lamp()->IsLit() ? QStringLiteral("On") : QStringLiteral("Off"))
                                           : Lamp()->Caption();
    }
};

QAccessibleInterface *Factory(const QString &, QObject *object)
{
    if (auto *sw = qobject_cast<TRockerSwitch *>(object))
        return new AccessibleRockerSwitch(sw);
    if (auto *lamp = qobject_cast<TIndicatorLamp *>(object))
        return new AccessibleLamp(lamp);
    if (QAccessibleInterface *iface = accessible::TextInterfaceFor(object))
        return iface;
    if (QAccessibleInterface *iface = accessible::ChoiceInterfaceFor(object))
        return iface;
    return accessible::TabInterfaceFor(object);
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

namespace {

QString Describe(const char *what, const QObject *o)
{
    const QString name = o ? o->objectName() : QString();
    return QLatin1String(what) + QLatin1Char(' ') + (name.isEmpty() ? QStringLiteral("<unnamed object>") : name);
}

// The words of the label whose buddy `control` is, if any.
QString BuddyText(QWidget *window, const QWidget *control)
{
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy() == control)
            return accessible::LabelText(label);
    return {};
}

// The text interface says what the widget shows.
void CheckShown(QAccessibleInterface *iface, const QString &shown, const QString &what, QStringList &out)
{
    if (iface->text(QAccessible::Value) != shown)
        out << what + QStringLiteral(": value \"%1\", shows \"%2\"").arg(iface->text(QAccessible::Value), shown);
    QAccessibleTextInterface *text = iface->textInterface();
    if (!text)
        out << what + QStringLiteral(": no text interface");
    else if (text->text(0, text->characterCount()) != shown)
        out << what + QStringLiteral(": text \"%1\", shows \"%2\"").arg(text->text(0, text->characterCount()), shown);
}

QString LampText(const TIndicatorLamp *lamp)
{
    if (!lamp->Caption().isEmpty())
        return lamp->Caption();
    return lamp->IsLit() ? QStringLiteral("On") : QStringLiteral("Off");
}

void CheckLabel(QLabel *label, QAccessibleInterface *iface, QStringList &out)
{
    const QString what = Describe("label", label);
    const QString shown = accessible::LabelText(label);
    if (label->accessibleName().isEmpty() && iface->text(QAccessible::Name) != shown)
        out << what + QStringLiteral(": named \"%1\", shows \"%2\"").arg(iface->text(QAccessible::Name), shown);
    CheckShown(iface, shown, what, out);
}

void CheckComboBox(QWidget *window, QComboBox *box, QAccessibleInterface *iface, QStringList &out)
{
    const QString what = Describe("combo box", box);
    const QString label = box->accessibleName().isEmpty() ? BuddyText(window, box) : box->accessibleName();
    if (label.isEmpty())
        out << what + QStringLiteral(": no label");
    else if (iface->text(QAccessible::Name) != label)
        out << what + QStringLiteral(": named \"%1\", not by its label \"%2\"").arg(iface->text(QAccessible::Name), label);
    const QString shown = box->isEditable() && box->lineEdit() ? box->lineEdit()->text() : box->currentText();
    if (iface->text(QAccessible::Value) != shown)
        out << what + QStringLiteral(": value \"%1\", shows \"%2\"").arg(iface->text(QAccessible::Value), shown);
    // Each entry can be chosen through the list of entries, as with a click.
    QAccessibleInterface *list = iface->childCount() > 0 ? iface->child(0) : nullptr;
    if (!list || list->role() != QAccessible::List || list->childCount() != box->count()) {
        out << what + QStringLiteral(": its entries are not listed");
        return;
    }
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *entry = list->child(i);
        QAccessibleActionInterface *actions = entry ? entry->actionInterface() : nullptr;
        if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()) ||
            entry->text(QAccessible::Name) != box->itemText(i)) {
            out << what + QStringLiteral(": entry %1 cannot be chosen").arg(i);
            return;
        }
    }
}

void CheckLineEdit(QLineEdit *edit, QAccessibleInterface *iface, QStringList &out)
{
    const QString what = Describe("edit", edit);
    if (edit->echoMode() == QLineEdit::Normal && iface->text(QAccessible::Value) != edit->text())
        out << what + QStringLiteral(": value \"%1\", shows \"%2\"").arg(iface->text(QAccessible::Value), edit->text());
    if (!edit->isReadOnly() && !iface->editableTextInterface())
        out << what + QStringLiteral(": its text cannot be set");
}

void CheckTabs(QTabBar *bar, QAccessibleInterface *iface, QStringList &out)
{
    if (iface->childCount() < bar->count()) {
        out << Describe("tab bar", bar) + QStringLiteral(": its tabs are not listed");
        return;
    }
    for (int i = 0; i < bar->count(); ++i) {
        QAccessibleInterface *tab = iface->child(i);
        const bool hidden = !bar->isVisible() || !bar->isTabVisible(i);
        if (!tab || tab->state().invisible != hidden)
            out << Describe("tab bar", bar) +
                       QStringLiteral(": tab \"%1\" %2").arg(bar->tabText(i), hidden ? "shows" : "is hidden");
    }
}

} // namespace

QStringList AccessibilityProblems(QWidget *window)
{
    InstallAccessibleWidgets();
    QStringList out = NamelessControls(window);
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        if (w->window() != window)
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        if (!iface)
            continue;
        if (!w->isVisible() && !iface->state().invisible)
            out << Describe("hidden", w) + QStringLiteral(": reports itself as showing");
        if (auto *label = qobject_cast<QLabel *>(w))
            CheckLabel(label, iface, out);
        else if (auto *lamp = qobject_cast<TIndicatorLamp *>(w))
            CheckShown(iface, LampText(lamp), Describe("lamp", lamp), out);
        else if (accessible::IsPanel(w))
            CheckShown(iface, accessible::PanelText(w), Describe("panel", w), out);
        else if (auto *box = qobject_cast<QComboBox *>(w))
            CheckComboBox(window, box, iface, out);
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            CheckLineEdit(edit, iface, out);
        else if (auto *bar = qobject_cast<QTabBar *>(w))
            CheckTabs(bar, iface, out);
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
