// Messages that pass every box on and remember the texts shown and whether a question was
// declined, so a command can tell its exit code.
#pragma once

#include "tools700/common/Messages.h"

#include <string>
#include <vector>

namespace tools700::cli {

class RecordingMessages : public Messages {
public:
    explicit RecordingMessages(Messages &inner) : inner_(inner) {}
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        texts.push_back(text);
        Answer a = inner_.Show(kind, text, buttons);
        if ((buttons & BtnYes) && a != Answer::Yes)
            declined = true;
        return a;
    }
    std::vector<std::string> texts;
    bool declined = false;

private:
    Messages &inner_;
};

} // namespace tools700::cli
