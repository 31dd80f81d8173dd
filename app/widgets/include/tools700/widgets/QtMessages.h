// The message boxes of the windows: tools700::Messages on QMessageBox.
#pragma once

#include "tools700/common/Messages.h"

#include <QString>

class QWidget;

namespace tools700 {

// Title of plain message boxes and error boxes (the application title).
inline constexpr const char *kAppTitle = "700Tools";

// Title a box of the given kind carries.
QString BoxTitle(BoxKind kind);

class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget *parent = nullptr) : parent_(parent) {}

    // Shows a modal box and waits for the answer. With TOOLS700_MESSAGE_LOG set, every box is
    // also appended to that file (one line: kind, tab, text with line breaks as \n); with
    // TOOLS700_AUTO_ANSWER set to ok/yes/no/cancel, boxes are answered without being shown
    // (unattended runs: the screenshot script, start-up tests).
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override;

private:
    QWidget *parent_;
};

// The one instance the windows use.
QtMessages &AppMessages();

// Shows the error box of an error that reached the event loop: titled "700Tools", error symbol,
// the text with the full-stop rule.
void ShowErrorBox(const std::string &text);

} // namespace tools700
