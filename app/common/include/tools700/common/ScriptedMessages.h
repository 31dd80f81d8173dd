// A Messages implementation that answers from a script and records every box it was shown.
// Used by the tests and by unattended runs of the command-line tool.
#pragma once

#include "tools700/common/Messages.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tools700 {

class ScriptedMessages : public Messages {
public:
    struct Shown {
        BoxKind kind;
        std::string text;
        unsigned buttons;
        Answer answer;
    };

    // Queues the answers to give, in order; when the queue is empty, `fallback` is given.
    explicit ScriptedMessages(std::deque<Answer> answers = {}, Answer fallback = Answer::Ok)
        : answers_(std::move(answers)), fallback_(fallback) {}

    void Queue(Answer a)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.push_back(a);
    }

    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Answer a = fallback_;
        if (!answers_.empty()) {
            a = answers_.front();
            answers_.pop_front();
        }
        shown_.push_back({kind, text, buttons, a});
        return a;
    }

    std::vector<Shown> shown() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return shown_;
    }

    std::vector<std::string> texts() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        for (const auto &s : shown_)
            out.push_back(s.text);
        return out;
    }

private:
    mutable std::mutex mutex_;
    std::deque<Answer> answers_;
    Answer fallback_;
    std::vector<Shown> shown_;
};

} // namespace tools700
