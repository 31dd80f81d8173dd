#include "IniSettings.h"

namespace tools700::cli {

StoredLink ReadStoredLink(const IniSettings &settings)
{
    StoredLink link;
    auto port = settings.Int("SOFTWARE/Korvane/700/Comm/Comport");
    if (!port)
        return link;
    link.port = *port;
    if (auto axis = settings.Int("SOFTWARE/Korvane/700/Comm/Axis"))
        link.axis = *axis;
    return link;
}

} // namespace tools700::cli
