// Tools700: set-up, monitoring and tuning of SV7xx servo drives.
#include "tools700/widgets/Application.h"
#include "Startup.h"

int main(int argc, char **argv)
{
    tools700::Application app(argc, argv);
    return tools700::RunProgram(app);
}
