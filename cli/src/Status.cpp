// tools700-cli status: the connection status line ("Status: Axis 1  Enabled").
#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "comm700.h"
#include "tools700/config/StatusText.h"

namespace tools700::cli {

int RunStatus(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("status takes no operands");
    OpenLink(ctx);
    const char *names[] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault", nullptr};
    double values[4] = {0, 0, 0, 0};
    int mask = 0;
    const int st = GetVars700(names, values, &mask);
    const std::string line = ConnectionStatusText(st, values, mask);
    std::fprintf(ctx.out, "%s\n", line.c_str());
    return (st == 0 && (mask & 0xF) == 0xF) ? kOk : kCommError;
}

} // namespace tools700::cli
