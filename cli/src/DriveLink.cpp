#include "DriveLink.h"

#include "Cli.h"
#include "IniSettings.h"
#include "comm700.h"
#include "tools700/config/StatusText.h"
#include "tools700/platform/LineClaim.h"
#include "tools700/platform/SerialPort.h"

#include <cstdlib>
#include <string>

namespace tools700::cli {

LinkChoice OpenLink(const Context &ctx)
{
    const StoredLink stored = ReadStoredLink(IniSettings::Load(SettingsPath()));
    const int port = ctx.args.Integer("--port").value_or(stored.port);
    const int axis = ctx.args.Integer("--axis").value_or(stored.axis);
    if (port < 0 || port > 4)
        throw UsageError("the port must be 0 (simulator) or 1..4, not " + std::to_string(port));
    if (axis < 1 || axis > 255)
        throw UsageError("the axis must be 1..255, not " + std::to_string(axis));
    // One host per line: a port or simulator channel another program holds is refused.
    const bool opened = UseSerialPort(port) == 1;
    if (const std::string inUse = platform::LineInUseText(port); !inUse.empty()) {
        std::fprintf(ctx.err, "%s\n", inUse.c_str());
        std::exit(kCommError);
    }
    if (port != 0 && !opened) {
        std::fprintf(ctx.err, "Can't open serial port COM%d (%s)\n", port, platform::ComPortDevice(port).c_str());
        std::exit(kCommError);
    }
    const int st = SetAxis700(axis);
    if (st != 0) {
        std::fprintf(ctx.err, "%s\n", StatusText(st).c_str());
        std::exit(kCommError);
    }
    return {port, axis};
}

} // namespace tools700::cli
