// The four kinds of message box the program shows, behind one interface: the windows plug in
// Qt message boxes, the command-line tool a terminal, the tests a scripted answerer.
#pragma once

#include <string>

namespace tools700 {

enum class BoxKind {
    Plain,        // titled "700Tools", OK only
    Warning,
    Confirmation,
    Information,
    Error         // an error caught at the event loop
};

// Buttons a box offers; combine with |.
enum Buttons : unsigned {
    BtnOk = 1u << 0,
    BtnCancel = 1u << 1,
    BtnAbort = 1u << 2,
    BtnYes = 1u << 3,
    BtnNo = 1u << 4,
};

// The button that closed the box. Closing a box any other way answers Closed.
enum class Answer { Ok, Cancel, Abort, Yes, No, Closed };

class Messages {
public:
    virtual ~Messages() = default;

    // Shows one box and waits for the answer.
    virtual Answer Show(BoxKind kind, const std::string &text, unsigned buttons) = 0;

    // A plain message box with OK.
    void Message(const std::string &text) { Show(BoxKind::Plain, text, BtnOk); }
    // A warning with the given buttons.
    Answer Warning(const std::string &text, unsigned buttons = BtnOk)
    {
        return Show(BoxKind::Warning, text, buttons);
    }
    // A confirmation with Yes and No; true only for Yes.
    bool Confirm(const std::string &text)
    {
        return Show(BoxKind::Confirmation, text, BtnYes | BtnNo) == Answer::Yes;
    }
    // A warning with Yes and No; true only for Yes.
    bool WarnYesNo(const std::string &text)
    {
        return Show(BoxKind::Warning, text, BtnYes | BtnNo) == Answer::Yes;
    }
    // An information box with OK.
    void Information(const std::string &text) { Show(BoxKind::Information, text, BtnOk); }
};

} // namespace tools700
