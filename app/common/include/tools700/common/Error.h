// The one error type of the program: it carries the text the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace tools700 {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string &text) : std::runtime_error(text) {}
};

// The text an error box shows: a full stop is added when the last character sorts after '.'.
inline std::string ErrorBoxText(const std::string &text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        return text + ".";
    return text;
}

} // namespace tools700
