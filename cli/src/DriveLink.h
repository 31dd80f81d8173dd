// Opening the link for a command: the port and axis of --port/--axis, else those the program's
// port dialog stored.
#pragma once

#include "Command.h"

namespace tools700::cli {

struct LinkChoice {
    int port = 0;
    int axis = 255;
};

// Selects the port and the axis, and returns them. A bad port or axis is a UsageError; a port in
// use by another program, a serial port that cannot be opened or an axis the library refuses end
// the tool with the message and exit code 4.
LinkChoice OpenLink(const Context &ctx);

} // namespace tools700::cli
