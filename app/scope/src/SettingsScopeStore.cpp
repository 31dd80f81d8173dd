#include "tools700/scope/ScopeForm.h"

#include "tools700/widgets/Settings.h"

#include <QByteArray>
#include <QVariant>

namespace tools700 {

namespace {

QString Path(const std::string &key, const std::string &name)
{
    QString path = QLatin1String(kScopeKey);
    if (!key.empty())
        path += QLatin1Char('/') + QString::fromStdString(key);
    return path + QLatin1Char('/') + QString::fromStdString(name);
}

} // namespace

SettingsScopeStore::SettingsScopeStore() = default;
SettingsScopeStore::~SettingsScopeStore() = default;

QSettings *SettingsScopeStore::Store()
{
    if (!settings_)
        settings_ = OpenSettings();
    return settings_ && settings_->status() == QSettings::NoError ? settings_.get() : nullptr;
}

void SettingsScopeStore::Reopen() { settings_.reset(); }

bool SettingsScopeStore::Sync()
{
    if (!settings_)
        return true;
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::optional<double> SettingsScopeStore::ReadDouble(const std::string &key, const std::string &name)
{
    QSettings *store = Store();
    if (!store)
        return std::nullopt;
    const QVariant v = store->value(Path(key, name));
    if (v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return scope::DoubleFromBytes(v.toByteArray().toStdString());
}

std::optional<int> SettingsScopeStore::ReadInt(const std::string &key, const std::string &name)
{
    QSettings *store = Store();
    return store ? tools700::ReadInt(*store, Path(key, name)) : std::nullopt;
}

std::optional<std::string> SettingsScopeStore::ReadText(const std::string &key, const std::string &name)
{
    QSettings *store = Store();
    if (!store)
        return std::nullopt;
    const QVariant v = store->value(Path(key, name));
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return std::nullopt;
    return v.toString().toStdString();
}

bool SettingsScopeStore::WriteDouble(const std::string &key, const std::string &name, double value)
{
    QSettings *store = Store();
    if (!store)
        return false;
    const std::string bytes = scope::DoubleBytes(value);
    store->setValue(Path(key, name), QByteArray(bytes.data(), static_cast<int>(bytes.size())));
    return store->isWritable();
}

bool SettingsScopeStore::WriteInt(const std::string &key, const std::string &name, int value)
{
    QSettings *store = Store();
    if (!store)
        return false;
    store->setValue(Path(key, name), value);
    return store->isWritable();
}

bool SettingsScopeStore::WriteText(const std::string &key, const std::string &name, const std::string &value)
{
    QSettings *store = Store();
    if (!store)
        return false;
    store->setValue(Path(key, name), QString::fromStdString(value));
    return store->isWritable();
}

} // namespace tools700
