// The accessibility interfaces this program gives Qt's standard widgets where Qt's own leave a
// screen reader or a test robot on the accessibility bus short: labels and panels whose shown text
// is their value (a read-out is heard, an empty label is not named after its group box), line
// edits whose text set through the accessibility interface is an edit like a typed one, combo
// boxes named by their label and whose entries are chosen as by a click, and tab bars whose hidden
// tabs are hidden. Installed with the drawn widgets' interfaces (InstallAccessibleWidgets).
#pragma once

#include <QAccessible>
#include <QString>

class QLabel;
class QWidget;

namespace tools700::accessible {

// The text interface of a widget that shows a text it does not let the user edit (a label, a
// panel, a lamp's caption): the whole text, one selection-free caret at its start.
class ShownText : public QAccessibleTextInterface {
public:
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
    virtual QWidget *Owner() const = 0;
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
