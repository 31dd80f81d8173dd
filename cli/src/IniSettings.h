// A small reader of the program's settings file (the INI file QSettings writes), so the
// command-line tool can use the port and axis of the port dialog without linking Qt.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace tools700::cli {

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

// TOOLS700_SETTINGS when set, else ~/.config/Korvane/700Tools.ini.
std::string SettingsPath();

// The port and axis stored by the port dialog: "Comport" then "Axis"; reading stops at the
// first value that is missing, what was not read keeps its default (port 0, axis 255).
struct StoredLink {
    int port = 0;
    int axis = 255;
};
StoredLink ReadStoredLink(const IniSettings &settings);

} // namespace tools700::cli
