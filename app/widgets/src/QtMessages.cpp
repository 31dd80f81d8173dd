#include "tools700/widgets/QtMessages.h"

#include "tools700/common/Error.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>

namespace tools700 {

namespace {

const char *KindName(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Plain: return "plain";
    case BoxKind::Warning: return "warning";
    case BoxKind::Confirmation: return "confirmation";
    case BoxKind::Information: return "information";
    case BoxKind::Error: return "error";
    }
    return "plain";
}

void LogBox(BoxKind kind, const std::string &text)
{
    const char *path = std::getenv("TOOLS700_MESSAGE_LOG");
    if (!path || !*path)
        return;
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::Append | QIODevice::Text))
        return;
    QByteArray line = KindName(kind);
    line += '\t';
    for (char c : text) {
        if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    line += '\n';
    f.write(line);
}

// The scripted answer of an unattended run, when one is set and the box offers it.
bool AutoAnswer(unsigned buttons, Answer &answer)
{
    const char *env = std::getenv("TOOLS700_AUTO_ANSWER");
    if (!env || !*env)
        return false;
    const QString want = QString::fromLatin1(env).toLower();
    struct Choice { const char *name; unsigned button; Answer answer; };
    static const Choice choices[] = {{"yes", BtnYes, Answer::Yes},       {"no", BtnNo, Answer::No},
                                     {"ok", BtnOk, Answer::Ok},          {"cancel", BtnCancel, Answer::Cancel},
                                     {"abort", BtnAbort, Answer::Abort}};
    for (const Choice &c : choices) {
        if (want == QLatin1String(c.name) && (buttons & c.button)) {
            answer = c.answer;
            return true;
        }
    }
    // The wanted button is not offered: take the first one the box has, as Enter would.
    for (const Choice &c : {choices[2], choices[0], choices[1], choices[3], choices[4]}) {
        if (buttons & c.button) {
            answer = c.answer;
            return true;
        }
    }
    answer = Answer::Closed;
    return true;
}

} // namespace

QString BoxTitle(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Plain:
    case BoxKind::Error: return QString::fromLatin1(kAppTitle);
    case BoxKind::Warning: return QStringLiteral("Warning");
    case BoxKind::Confirmation: return QStringLiteral("Confirm");
    case BoxKind::Information: return QStringLiteral("Information");
    }
    return QString::fromLatin1(kAppTitle);
}

Answer QtMessages::Show(BoxKind kind, const std::string &text, unsigned buttons)
{
    LogBox(kind, text);
    Answer scripted;
    if (AutoAnswer(buttons, scripted))
        return scripted;

    QMessageBox box(parent_ ? parent_ : QApplication::activeWindow());
    box.setWindowTitle(BoxTitle(kind));
    box.setText(QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    switch (kind) {
    case BoxKind::Plain: box.setIcon(QMessageBox::NoIcon); break;
    case BoxKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case BoxKind::Confirmation: box.setIcon(QMessageBox::Question); break;
    case BoxKind::Information: box.setIcon(QMessageBox::Information); break;
    case BoxKind::Error: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == 0)
        buttons = BtnOk;

    struct Def { unsigned bit; const char *caption; QMessageBox::ButtonRole role; Answer answer; };
    static const Def defs[] = {{BtnYes, "&Yes", QMessageBox::YesRole, Answer::Yes},
                               {BtnNo, "&No", QMessageBox::NoRole, Answer::No},
                               {BtnOk, "OK", QMessageBox::AcceptRole, Answer::Ok},
                               {BtnCancel, "Cancel", QMessageBox::RejectRole, Answer::Cancel},
                               {BtnAbort, "&Abort", QMessageBox::RejectRole, Answer::Abort}};
    QPushButton *made[5] = {};
    QPushButton *first = nullptr;
    for (int i = 0; i < 5; ++i) {
        if (!(buttons & defs[i].bit))
            continue;
        made[i] = box.addButton(QString::fromLatin1(defs[i].caption), defs[i].role);
        if (!first)
            first = made[i];
    }
    box.setDefaultButton(first);
    // Escape answers Cancel, No or (a lone OK) OK; otherwise it closes the box.
    if (made[3])
        box.setEscapeButton(made[3]);
    else if (made[1])
        box.setEscapeButton(made[1]);
    else if (made[2] && buttons == BtnOk)
        box.setEscapeButton(made[2]);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    for (int i = 0; i < 5; ++i) {
        if (made[i] && clicked == made[i])
            return defs[i].answer;
    }
    return Answer::Closed;
}

QtMessages &AppMessages()
{
    static QtMessages messages;
    return messages;
}

void ShowErrorBox(const std::string &text)
{
    AppMessages().Show(BoxKind::Error, ErrorBoxText(text), BtnOk);
}

} // namespace tools700
