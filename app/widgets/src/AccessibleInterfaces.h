// The accessibility interfaces this program gives Qt's standard widgets where Qt's own leave a
// screen reader or a test robot on the accessibility bus short: labels and panels whose shown text
// is their value (a read-out is heard, an empty label is not named after its group box), line
// edits whose text set through the accessibility interface is an edit like a typed one, combo
// boxes named by their label and whose entries are chosen as by a click, and tab bars whose hidden
// tabs are hidden. Installed with the drawn widgets' interfaces (InstallAccessibleWidgets).
#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

#include <functional>
#include <map>

class QLabel;
class QWidget;

namespace tools700::accessible {

// A widget that shows a text it does not let the user edit (a label, a panel, a lamp's caption):
// named by its own accessible name or else by that text, which is also its value and its text
// (one selection-free caret at its start).
class AccessibleShown : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    AccessibleShown(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

protected:
    virtual QString Shown() const = 0;
};

// A part of a widget that is no widget of its own (a combo box's entry, a bar's tab): no children,
// a row of its owner, pressed as by a click.
class AccessiblePart : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessiblePart(QAccessibleInterface *owner, int index) : owner_(owner), index_(index) {}

    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return owner_->window(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return owner_; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

protected:
    QAccessibleInterface *owner_;
    int index_;
};

// The parts of one owner: each made when first asked for, registered with Qt's accessibility and
// deleted with the owner.
class AccessibleParts {
public:
    AccessibleParts() = default;
    AccessibleParts(const AccessibleParts &) = delete;
    AccessibleParts &operator=(const AccessibleParts &) = delete;
    ~AccessibleParts();

    QAccessibleInterface *At(int index, const std::function<QAccessibleInterface *()> &make);
    int IndexOf(const QAccessibleInterface *part) const;

private:
    std::map<int, QAccessible::Id> ids_;
};

// A text as a reader sees it: rich text as plain text, a mnemonic's '&' removed.
QString PlainText(const QString &text, bool richText, bool mnemonic);
// What a label shows, as a reader sees it.
QString LabelText(const QLabel *label);
// A plain frame with labels on it (a panel that covers other controls with a message), and the
// words of its shown labels.
bool IsPanel(const QWidget *widget);
QString PanelText(const QWidget *panel);

// Labels, panels of labels and line edits; null for any other object.
QAccessibleInterface *TextInterfaceFor(QObject *object);
// Combo boxes and the lists of their entries; null for any other object.
QAccessibleInterface *ChoiceInterfaceFor(QObject *object);
// Tab bars; null for any other object.
QAccessibleInterface *TabInterfaceFor(QObject *object);

} // namespace tools700::accessible
