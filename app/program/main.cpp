// Tools700: set-up, monitoring and tuning of SV7xx servo drives.
#include "tools700/widgets/Application.h"
#include "SimulatedDrive.h"
#include "Startup.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    // --help and --version need no display: they are answered before Qt starts.
    std::vector<std::string> args(argv + 1, argv + argc);
    if (auto code = tools700::RunInformationOption(args, stdout))
        return *code;
    // A simulated run has a namespace and a settings file of its own. The link library takes its
    // namespace when it is loaded: the program starts again in the new environment.
    const tools700::SimulatorOption simulator = tools700::TakeSimulatorOption(args);
    if (simulator.wanted && !tools700::InSimulatorEnvironment()) {
        tools700::EnterSimulatorEnvironment();
        execv("/proc/self/exe", argv);
        std::perror("Tools700: cannot start again for the simulated drive");
        return 1;
    }
    tools700::Application app(argc, argv);
    return tools700::RunProgram(app, simulator);
}
