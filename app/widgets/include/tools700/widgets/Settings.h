// The settings store: one INI file read and written through QSettings, with the key paths of the
// machine-wide store ("SOFTWARE/Korvane/700/Comm/Comport", ...). The file and the keys are those
// of tools700/settings/SettingsFile.h: TOOLS700_SETTINGS when set, else
// ~/.config/Korvane/700Tools.ini.
#pragma once

#include "tools700/settings/SettingsFile.h"

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace tools700 {

inline constexpr const char *kCommKey = settings::kCommKey;
inline constexpr const char *kVariablesKey = settings::kVariablesKey;
inline constexpr const char *kScopeKey = settings::kScopeKey;

// Full path of the settings file.
QString SettingsPath();

// Opens the store (QSettings::IniFormat on SettingsPath()).
std::unique_ptr<QSettings> OpenSettings();

// Reads an integer value; nothing when it is missing, not an integer, or the store fails.
std::optional<int> ReadInt(QSettings &store, const QString &key);

// Writes an integer value; false when the store could not be written.
bool WriteInt(QSettings &store, const QString &key, int value);

// Device path a port maps to ("SOFTWARE/Korvane/700/Comm/Devices/COM1" ...), or empty when the
// link library's own mapping applies.
QString StoredPortDevice(QSettings &store, int port);
bool StorePortDevice(QSettings &store, int port, const QString &device);

} // namespace tools700
