#pragma once

#include <QString>

// The per-user settings store: application "Hallowmere", section "Tarnveil".
// Values are texts; the file is an INI file under the user's config folder.
namespace SettingsStore {

QString value(const QString &key, const QString &whenAbsent);
void setValue(const QString &key, const QString &value);

} // namespace SettingsStore
