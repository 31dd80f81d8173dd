// Tools700: set-up, monitoring and tuning of SV7xx servo drives.
#include "tools700/widgets/Application.h"
#include "Startup.h"

int main(int argc, char **argv)
{
    // --help and --version need no display: they are answered before Qt starts.
    if (auto code = tools700::RunInformationOption(std::vector<std::string>(argv + 1, argv + argc), stdout))
        return *code;
    tools700::Application app(argc, argv);
    return tools700::RunProgram(app);
}
