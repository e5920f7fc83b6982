#include "SettingsStore.h"

#include <QSettings>

namespace tarvine {

namespace {

QString keyText(const Settings::Key& key)
{
    return QString::fromLatin1(key.key.data(), static_cast<qsizetype>(key.key.size()));
}

} // namespace

SettingsStore::SettingsStore(QObject* parent)
    : QObject(parent)
{
    const QSettings stored;
    for (const auto& key : Settings::keys) {
        settings_.*key.field = stored.value(keyText(key), key.defaultValue).toBool();
    }
}

void SettingsStore::set(bool Settings::*field, bool value)
{
    if (settings_.*field == value) {
        return;
    }
    settings_.*field = value;
    QSettings stored;
    for (const auto& key : Settings::keys) {
        if (key.field == field) {
            stored.setValue(keyText(key), value);
        }
    }
    stored.sync();
    emit changed();
}

} // namespace tarvine
