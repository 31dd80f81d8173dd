#include "tools700/widgets/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tools700 {

QString SettingsPath()
{
    return QFile::decodeName(settings::FilePath().c_str());
}

std::unique_ptr<QSettings> OpenSettings()
{
    const QString path = SettingsPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

std::optional<int> ReadInt(QSettings &store, const QString &key)
{
    if (store.status() != QSettings::NoError || !store.contains(key))
        return std::nullopt;
    bool ok = false;
    const int value = store.value(key).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool WriteInt(QSettings &store, const QString &key, int value)
{
    if (!store.isWritable())
        return false;
    store.setValue(key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

static QString DeviceKey(int port)
{
    return QString::fromStdString(settings::DeviceKey(port));
}

QString StoredPortDevice(QSettings &store, int port)
{
    if (store.status() != QSettings::NoError)
        return {};
    return store.value(DeviceKey(port)).toString();
}

bool StorePortDevice(QSettings &store, int port, const QString &device)
{
    if (!store.isWritable())
        return false;
    if (device.isEmpty())
        store.remove(DeviceKey(port));
    else
        store.setValue(DeviceKey(port), device);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace tools700
