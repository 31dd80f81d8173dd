// Labels, panels of labels and line edits as the accessibility bus sees them. A label's value is
// the text it shows (so a read-out is heard, and an empty label is named by nothing, not by its
// group box's title); a panel's value is the text of its labels; a text set into a line edit
// through the accessibility interface goes in as typed text does, so the window's handlers of a
// user's edit run and its validator applies.
#include "AccessibleInterfaces.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocumentFragment>

namespace tools700::accessible {

QString PlainText(const QString &text, bool richText, bool mnemonic)
{
    QString plain = richText ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    if (!mnemonic)
        return plain;
    QString out;
    for (int i = 0; i < plain.size(); ++i) {
        if (plain[i] == QLatin1Char('&') && i + 1 < plain.size())
            ++i; // "&&" is one ampersand, "&x" a mnemonic x
        out += plain[i];
    }
    return out;
}

QString AccessibleShown::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        // Its own words only: without them it is nameless, never named after its group box.
        return widget()->accessibleName().isEmpty() ? Shown() : widget()->accessibleName();
    case QAccessible::Value:
        return Shown();
    default:
        return QAccessibleWidget::text(t);
    }
}

void *AccessibleShown::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString AccessibleShown::text(int startOffset, int endOffset) const
{
    const QString shown = Shown();
    if (endOffset < 0 || endOffset > shown.size())
        endOffset = static_cast<int>(shown.size());
    if (startOffset < 0 || startOffset >= endOffset)
        return {};
    return shown.mid(startOffset, endOffset - startOffset);
}

QRect AccessibleShown::characterRect(int offset) const
{
    const QString shown = Shown();
    if (offset < 0 || offset >= shown.size())
        return {};
    const QFontMetrics fm = widget()->fontMetrics();
    const QRect area = widget()->contentsRect();
    const QPoint at(area.left() + fm.horizontalAdvance(shown.left(offset)), area.top());
    return {widget()->mapToGlobal(at), QSize(fm.horizontalAdvance(shown[offset]), fm.height())};
}

QString AccessibleShown::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}

AccessibleParts::~AccessibleParts()
{
    for (const auto &[index, id] : ids_)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *AccessibleParts::At(int index, const std::function<QAccessibleInterface *()> &make)
{
    auto found = ids_.find(index);
    if (found == ids_.end())
        found = ids_.emplace(index, QAccessible::registerAccessibleInterface(make())).first;
    return QAccessible::accessibleInterface(found->second);
}

int AccessibleParts::IndexOf(const QAccessibleInterface *part) const
{
    for (const auto &[index, id] : ids_)
        if (QAccessible::accessibleInterface(id) == part)
            return index;
    return -1;
}

QString LabelText(const QLabel *label)
{
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return PlainText(label->text(), rich, label->buddy() != nullptr);
}

bool IsPanel(const QWidget *widget)
{
    // Only plain frames that carry a message: other frames (lines, scroll areas) keep Qt's.
    return widget->metaObject() == &QFrame::staticMetaObject &&
           !widget->findChildren<QLabel *>(Qt::FindDirectChildrenOnly).isEmpty();
}

QString PanelText(const QWidget *panel)
{
    QStringList lines;
    for (const QLabel *label : panel->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        if (label->isVisibleTo(panel) && !LabelText(label).isEmpty())
            lines << LabelText(label);
    return lines.join(QLatin1Char(' '));
}

namespace {

class AccessibleLabel : public AccessibleShown {
public:
    explicit AccessibleLabel(QLabel *label) : AccessibleShown(label, QAccessible::StaticText) {}

    QLabel *Label() const { return static_cast<QLabel *>(widget()); }

    QAccessible::Role role() const override
    {
        return Label()->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic;
    }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>> relations(QAccessible::Relation match) const override
    {
        auto rels = QAccessibleWidget::relations(match);
        if ((match & QAccessible::Labelled) && Label()->buddy())
            if (QAccessibleInterface *buddy = QAccessible::queryAccessibleInterface(Label()->buddy()))
                rels.append({buddy, QAccessible::Labelled});
        return rels;
    }

protected:
    QString Shown() const override { return LabelText(Label()); }
};

// A plain frame that covers other controls with a message in labels (a warning panel).
class AccessiblePanel : public AccessibleShown {
public:
    explicit AccessiblePanel(QFrame *frame) : AccessibleShown(frame, QAccessible::Border) {}

protected:
    QString Shown() const override { return PanelText(widget()); }
};

class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit AccessibleLineEdit(QLineEdit *edit) : QAccessibleWidget(edit, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    QLineEdit *Edit() const { return static_cast<QLineEdit *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Shown();
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t != QAccessible::Value || !Writable())
            return;
        Edit()->selectAll();
        Edit()->insert(text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (Edit()->isReadOnly())
            s.readOnly = true;
        else
            s.editable = true;
        s.passwordEdit = Edit()->echoMode() != QLineEdit::Normal;
        s.selectableText = true;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Text: what the edit shows, stars for a password.
    void selection(int index, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (index == 0 && Edit()->hasSelectedText()) {
            *startOffset = Edit()->selectionStart();
            *endOffset = Edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int index) override
    {
        if (index == 0)
            Edit()->deselect();
    }
    void setSelection(int index, int startOffset, int endOffset) override
    {
        if (index == 0)
            Edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return Edit()->cursorPosition(); }
    void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        const QString shown = Shown();
        if (endOffset < 0 || endOffset > shown.size())
            endOffset = static_cast<int>(shown.size());
        return startOffset < 0 || startOffset >= endOffset ? QString() : shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int offset) const override
    {
        const QString shown = Shown();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics fm = Edit()->fontMetrics();
        const QRect area = Edit()->contentsRect().marginsRemoved(Edit()->textMargins());
        const QPoint at(area.left() + fm.horizontalAdvance(shown.left(offset)), area.top());
        return {Edit()->mapToGlobal(at), QSize(fm.horizontalAdvance(shown[offset]), fm.height())};
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int endIndex) override { Edit()->setCursorPosition(endIndex); }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

    // Editable text: as the keyboard edits, so the edit's validator and its user-edit signal act.
    void deleteText(int startOffset, int endOffset) override
    {
        if (!Writable())
            return;
        Edit()->setSelection(startOffset, endOffset - startOffset);
        Edit()->del();
    }
    void insertText(int offset, const QString &text) override
    {
        if (!Writable())
            return;
        Edit()->setCursorPosition(offset);
        Edit()->insert(text);
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (!Writable())
            return;
        Edit()->setSelection(startOffset, endOffset - startOffset);
        Edit()->insert(text);
    }

private:
    bool Writable() const { return Edit()->isEnabled() && !Edit()->isReadOnly(); }
    QString Shown() const
    {
        switch (Edit()->echoMode()) {
        case QLineEdit::Normal:
            return Edit()->text();
        case QLineEdit::NoEcho:
            return {};
        default:
            return QString(Edit()->text().size(), QLatin1Char('*'));
        }
    }
};

} // namespace

QAccessibleInterface *TextInterfaceFor(QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object))
        return new AccessibleLabel(label);
    if (auto *edit = qobject_cast<QLineEdit *>(object))
        return new AccessibleLineEdit(edit);
    auto *frame = qobject_cast<QFrame *>(object);
    if (frame && IsPanel(frame))
        return new AccessiblePanel(frame);
    return nullptr;
}

} // namespace tools700::accessible
