// The message boxes of the configuration model on a terminal: messages are printed, questions
// are asked on the terminal, or answered from --yes/--no when given or when there is none.
#pragma once

#include "tools700/common/Messages.h"

#include <cstdio>
#include <functional>
#include <string>

namespace tools700::cli {

enum class Preset { None, Yes, No };

class TerminalMessages : public Messages {
public:
    // `in` is read for answers only when `interactive` is true; texts go to `out`.
    TerminalMessages(FILE *in, FILE *out, bool interactive, Preset preset);

    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override;

    // True when a question was answered No or Cancel (for the exit code).
    bool Declined() const { return declined_; }

    // Called before a box is written, so a progress bar can end its line first.
    void SetBeforeOutput(std::function<void()> f) { beforeOutput_ = std::move(f); }

private:
    Answer Ask(const std::string &prompt, unsigned buttons);

    FILE *in_;
    FILE *out_;
    bool interactive_;
    Preset preset_;
    bool declined_ = false;
    std::function<void()> beforeOutput_;
};

} // namespace tools700::cli
