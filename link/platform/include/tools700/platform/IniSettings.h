// The one Qt-free reader of the program's settings file (the INI file QSettings writes). The
// link library reads the device of each port from it, the command-line tool the port and axis
// of the port dialog.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace tools700::platform {

class IniSettings {
public:
    // Reads the file; a missing or unreadable file gives an empty store.
    static IniSettings Load(const std::string &fileName);
    // Parses INI text.
    static IniSettings Parse(const std::string &text);

    // The value under a key path such as "SOFTWARE/Korvane/700/Comm/Comport" (letter case as
    // written), or nullopt.
    std::optional<std::string> Value(const std::string &keyPath) const;
    // The value as an integer; nullopt when missing or not an integer.
    std::optional<int> Int(const std::string &keyPath) const;

private:
    std::map<std::string, std::string> values_;
};

// TOOLS700_SETTINGS when set, else ~/.config/Korvane/700Tools.ini (tools700/settings/SettingsFile.h).
std::string SettingsPath();

// The device stored for port n (1..4) under "SOFTWARE/Korvane/700/Comm/Devices/COMn" in the
// settings file, or empty.
std::string StoredComPortDevice(int n);

} // namespace tools700::platform
