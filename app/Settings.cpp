#include "app/Settings.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

// A fresh QSettings per call: each write reaches the file when the object
// goes, so a program that ends abruptly keeps the last choice.
class Section
{
public:
    Section() : m_settings(QSettings::IniFormat, QSettings::UserScope, u"Hallowmere"_s, u"Hallowmere"_s)
    {
        m_settings.beginGroup(u"Tarnveil"_s);
    }
    QSettings &operator*() { return m_settings; }
    QSettings *operator->() { return &m_settings; }

private:
    QSettings m_settings;
};

} // namespace

namespace SettingsStore {

QString value(const QString &key, const QString &whenAbsent)
{
    Section section;
    return section->value(key, whenAbsent).toString();
}

void setValue(const QString &key, const QString &value)
{
    Section section;
    section->setValue(key, value);
}

} // namespace SettingsStore
