#pragma once

#include "settings/settings_store.h"

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace orva {

// Per-user native settings of organisation "ORVA": on Linux the file
// ORVA.conf in the XDG config directory, on Windows the registry.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    // The same, kept in the given INI file (what the native format is on
    // Linux) instead of the per-user place.
    explicit QtSettingsStore(const QString& iniFile);

    std::string read(const std::string& section, const std::string& key,
                     const std::string& fallback) const override;
    StoreOutcome write(const std::string& section, const Entries& entries) override;

    // Reads the file again first: another program (orva-ctl map, an editor)
    // may have changed it since this program last looked.
    StoredEntry readCurrent(const std::string& section, const std::string& key) const override;

    QString fileName() const { return settings_->fileName(); }

private:
    // A settings object of its own for every write: the library's status
    // stays at its first error for the life of the object.
    std::unique_ptr<QSettings> open() const;
    // What reads are asked of: the store itself, or, while its file holds
    // values the library must not decode (screenedIni), a copy without them.
    QSettings& reader() const;

    QString iniFile_; // empty: the per-user native store
    std::unique_ptr<QSettings> settings_;
    mutable std::unique_ptr<QTemporaryDir> scratch_;
    mutable std::unique_ptr<QSettings> screened_;
    mutable std::string screenedText_;
    mutable int screenedCopies_ = 0;
};

} // namespace orva
