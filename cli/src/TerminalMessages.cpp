#include "TerminalMessages.h"

#include "tools700/names/Names.h"

#include <cctype>

namespace tools700::cli {

namespace {
const char *KindPrefix(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Error: return "error: ";
    default: return "";
    }
}

} // namespace

TerminalMessages::TerminalMessages(FILE *in, FILE *out, bool interactive, Preset preset)
    : in_(in), out_(out), interactive_(interactive), preset_(preset)
{
}

Answer TerminalMessages::Show(BoxKind kind, const std::string &text, unsigned buttons)
{
    if (beforeOutput_)
        beforeOutput_();
    std::string body = text;
    while (!body.empty() && body.back() == '\n')
        body.pop_back();
    std::fprintf(out_, "%s%s\n", KindPrefix(kind), body.c_str());
    std::fflush(out_);
    const bool question = (buttons & (BtnYes | BtnNo | BtnCancel | BtnAbort)) != 0;
    if (!question)
        return Answer::Ok;
    Answer a = Ask(body, buttons);
    if (a == Answer::No || a == Answer::Cancel || a == Answer::Abort || a == Answer::Closed)
        declined_ = true;
    return a;
}

Answer TerminalMessages::Ask(const std::string &, unsigned buttons)
{
    const bool yesNo = (buttons & BtnYes) != 0;
    const Answer positive = yesNo ? Answer::Yes : Answer::Ok;
    const Answer negative = yesNo ? Answer::No : ((buttons & BtnCancel) ? Answer::Cancel : Answer::Abort);
    if (preset_ != Preset::None) {
        const Answer a = preset_ == Preset::Yes ? positive : negative;
        std::fprintf(out_, "%s (--%s)\n", a == positive ? "yes" : "no",
                     preset_ == Preset::Yes ? "yes" : "no");
        std::fflush(out_);
        return a;
    }
    if (!interactive_) {
        std::fprintf(out_, "no (no terminal to ask; give --yes or --no)\n");
        std::fflush(out_);
        return negative;
    }
    for (;;) {
        std::fprintf(out_, "%s ", yesNo ? "[y/n]" : "[o]k/[c]ancel?");
        std::fflush(out_);
        char buf[256];
        if (!std::fgets(buf, sizeof buf, in_)) {
            std::fprintf(out_, "\n");
            return negative; // end of input: the safe answer
        }
        std::string reply = names::Lower(buf);
        while (!reply.empty() && std::isspace(static_cast<unsigned char>(reply.back())))
            reply.pop_back();
        if (yesNo && (reply == "y" || reply == "yes"))
            return Answer::Yes;
        if (yesNo && (reply == "n" || reply == "no"))
            return Answer::No;
        if (!yesNo && (reply == "o" || reply == "ok"))
            return Answer::Ok;
        if (!yesNo && (reply == "c" || reply == "cancel" || reply == "a" || reply == "abort"))
            return negative;
    }
}

} // namespace tools700::cli
