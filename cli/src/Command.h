// What a command of the tool is: a row of the command table (Commands.cpp) naming it, its help
// and its options, and the function that runs it with the parsed command line.
#pragma once

#include "CommandLine.h"
#include "TerminalMessages.h"

#include <cstdio>
#include <initializer_list>
#include <span>
#include <string_view>

namespace tools700::cli {

// What a command needs from its surroundings.
struct Context {
    Arguments args;          // args.words[0] is the command's name, the rest its operands
    FILE *in, *out, *err;
    bool interactive;        // questions may be asked on `in`
    bool progress;           // `err` is a terminal: progress bars may be drawn on it
    bool quiet;              // --quiet: no progress bar, no summary lines
    Preset preset;           // --yes / --no

    // The words after the command's name.
    std::size_t Operands() const { return args.words.size() - 1; }
};

using RunCommand = int (*)(Context &);

struct Command {
    std::string_view name;
    RunCommand run;
    // The help: the synopsis (continuation lines indented as they should print) and what the
    // command does, one line of the description per line of text.
    std::string_view synopsis;
    std::string_view description;
    std::initializer_list<OptionSpec> options; // the options this command reads
};

// Every command, in the order the help lists them.
std::span<const Command> Commands();

// The options every command takes (--port, --axis, --yes, ...).
std::span<const OptionSpec> CommonOptions();

} // namespace tools700::cli
