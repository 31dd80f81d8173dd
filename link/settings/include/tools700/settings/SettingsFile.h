// The program's settings file: where it is and the key paths 700Tools keeps in it. The program
// writes the file through QSettings, the link library and tools700-cli read it through the
// Qt-free reader (tools700/platform/IniSettings.h); all of them take the file's path and every
// key from here, so they can never look in different places. Header only, C++ and POSIX.
#pragma once

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace tools700::settings {

// Key paths, '/' between the parts, as QSettings and the reader take them.
inline constexpr const char *kCommKey = "SOFTWARE/Korvane/700/Comm";
inline constexpr const char *kComportKey = "SOFTWARE/Korvane/700/Comm/Comport"; // the port dialog's port
inline constexpr const char *kAxisKey = "SOFTWARE/Korvane/700/Comm/Axis";       // ... and axis
inline constexpr const char *kVariablesKey = "SOFTWARE/Korvane/700/Variables";  // the on-line window's rows
inline constexpr const char *kScopeKey = "SOFTWARE/Korvane/700/Scope";          // the scope's channels

// The device a port (1..4) is mapped to: "SOFTWARE/Korvane/700/Comm/Devices/COM1", ...
inline std::string DeviceKey(int port)
{
    return std::string(kCommKey) + "/Devices/COM" + std::to_string(port);
}

// The file named by TOOLS700_SETTINGS when set (and not empty), else .config/Korvane/700Tools.ini
// in the user's home folder: $HOME, or the home folder of the user's account when HOME is unset
// or empty, so the program and the tools find the same file in any environment.
inline std::string FilePath()
{
    if (const char *env = std::getenv("TOOLS700_SETTINGS"); env && *env)
        return env;
    std::string home;
    if (const char *env = std::getenv("HOME"); env && *env)
        home = env;
    else if (const passwd *account = getpwuid(getuid()); account && account->pw_dir)
        home = account->pw_dir;
    return home + "/.config/Korvane/700Tools.ini";
}

} // namespace tools700::settings
