// tools700-cli: a command-line front end over the configuration model, the link library and
// the motor database, for technicians and scripts.
#include "Cli.h"

#include <unistd.h>

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool terminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    return tools700::cli::Run(args, stdin, stdout, stderr, terminal, isatty(STDERR_FILENO) != 0);
}
