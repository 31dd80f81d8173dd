// The command line's small parser: options are looked up in a table of what each takes, checked
// as they are read, and collected with the remaining words (the command and its operands).
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tools700::cli {

// A bad command line: the tool prints the text and "Try 'tools700-cli --help'." (exit code 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class OptionKind {
    Flag,    // no value
    Text,    // any word
    Number,  // a number in C notation ("0.5", "1e3")
    Integer, // a whole number
};

struct OptionSpec {
    std::string_view name;            // "--ratio"
    OptionKind kind = OptionKind::Flag;
    std::string_view alias = {};      // "-q"
    // Numbers only: what else the value must be, and how the message ends when it is not
    // ("--count must be at least 1"). A Number that is no number gets the same message.
    bool (*accept)(double) = nullptr;
    std::string_view requirement = {};
};

// The options given, in their order (by their long names), and the words.
class Arguments {
public:
    bool Has(std::string_view option) const;
    // The last value given for the option.
    std::optional<std::string> Text(std::string_view option) const;
    std::optional<double> Number(std::string_view option) const;
    std::optional<int> Integer(std::string_view option) const;
    // Which of the options was given last; empty when none was.
    std::string_view LastOf(std::initializer_list<std::string_view> options) const;

    std::vector<std::string> words; // the command and its operands

private:
    friend Arguments ParseCommandLine(const std::vector<std::string> &, std::span<const OptionSpec>);
    std::vector<std::pair<std::string, std::string>> given_;
};

// Reads `args` against the options of `specs` (the first spec of a name counts). Throws
// UsageError for an unknown option, a missing value or a value of the wrong kind. "--" ends the
// options; a word that starts with '-' but reads as a number ("-5") is a word.
Arguments ParseCommandLine(const std::vector<std::string> &args, std::span<const OptionSpec> specs);

// A whole number; UsageError "<what> must be an integer, not "<text>"" when it is not.
int ParseInt(const std::string &text, const std::string &what);

} // namespace tools700::cli
