// Numbers as the windows show and read them: with the user's decimal separator (the rule is
// in tools700/common/NumberText.h; files, the line and tools700-cli stay in C notation).
#pragma once

#include <QString>

#include <optional>
#include <string>

namespace tools700 {

// The user's decimal separator (QLocale's default) as one character; '.' where it is no single
// ASCII character.
char UserDecimalPoint();
// A text in C notation (numtext) as a window shows it: its '.' in the user's separator.
QString UserNumberText(const std::string &cText);
// A number the user typed (numtext::Parse with the user's separator; '.' is read too, group
// separators never, so "1,5" under a locale with a decimal point is an error, not 15).
std::optional<double> ReadUserNumber(const QString &text);

} // namespace tools700
