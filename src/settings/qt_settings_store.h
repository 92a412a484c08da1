#pragma once

#include "settings/settings_store.h"

#include <QSettings>

namespace orva {

// Per-user native settings of organisation "ORVA": on Linux the file
// ORVA.conf in the XDG config directory, on Windows the registry.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore() : settings_(QSettings::NativeFormat, QSettings::UserScope, "ORVA") {}

    std::string read(const std::string& section, const std::string& key,
                     const std::string& fallback) const override
    {
        const QVariant v = settings_.value(path(section, key));
        if (!v.isValid())
            return fallback;
        return v.toString().toStdString();
    }

    void write(const std::string& section, const std::string& key, const std::string& value) override
    {
        settings_.setValue(path(section, key), QString::fromStdString(value));
        settings_.sync();
    }

    // Reads the file again first: another program (orva-ctl map, an editor)
    // may have changed it since this program last looked.
    StoredEntry readCurrent(const std::string& section, const std::string& key) const override
    {
        settings_.sync();
        const QString k = path(section, key);
        if (!settings_.contains(k))
            return {};
        const QVariant v = settings_.value(k);
        // Plain text is what a person or this program writes; anything else
        // ("@Invalid()", a "@Variant(...)" that does not load, a list) is
        // not a value this program can use.
        if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray)
            return {StoredEntry::State::Text, v.toString().toStdString()};
        return {StoredEntry::State::Unreadable, {}};
    }

    QString fileName() const { return settings_.fileName(); }

private:
    static QString path(const std::string& section, const std::string& key)
    {
        return QString::fromStdString(section + "/" + key);
    }
    mutable QSettings settings_;
};

} // namespace orva
