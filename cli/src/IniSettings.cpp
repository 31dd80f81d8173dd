#include "IniSettings.h"

#include "tools700/settings/SettingsFile.h"

namespace tools700::cli {

StoredLink ReadStoredLink(const IniSettings &settings)
{
    StoredLink link;
    auto port = settings.Int(tools700::settings::kComportKey);
    if (!port)
        return link;
    link.port = *port;
    if (auto axis = settings.Int(tools700::settings::kAxisKey))
        link.axis = *axis;
    return link;
}

} // namespace tools700::cli
