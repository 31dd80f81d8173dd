// The port and axis the port dialog stored, read through the one Qt-free reader of the
// program's settings file.
#pragma once

#include "tools700/platform/IniSettings.h"

namespace tools700::cli {

using platform::IniSettings;
using platform::SettingsPath;

// The port and axis stored by the port dialog: "Comport" then "Axis"; reading stops at the
// first value that is missing, what was not read keeps its default (port 0, axis 255).
struct StoredLink {
    int port = 0;
    int axis = 255;
};
StoredLink ReadStoredLink(const IniSettings &settings);

} // namespace tools700::cli
