#include "ctl/qt_port_map_file.h"

#include "settings/ini_text.h"
#include "settings/port_map.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

namespace orva {
namespace {

// The value as the store escapes it in its file: written by the store
// itself into a scratch file and read back.
std::optional<std::string> escapedValue(const QTemporaryDir& scratch, const std::string& key,
                                        const std::string& value)
{
    const QString path = scratch.filePath(QStringLiteral("value.conf"));
    {
        QSettings s(path, QSettings::IniFormat);
        s.setValue(portsKey(key), QString::fromStdString(value));
        s.sync();
        if (s.status() != QSettings::NoError)
            return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return iniValueText(f.readAll().toStdString(), kPortsSection, key);
}

using Values = QMap<QString, QVariant>;

std::optional<Values> readBack(const QTemporaryDir& scratch, const QString& name, const QByteArray& text)
{
    const QString path = scratch.filePath(name);
    // Values the store must not decode are compared as what it reads them
    // as: values that do not load.
    const QByteArray screened = QByteArray::fromStdString(screenedIni(text.toStdString()).text);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(screened) != screened.size())
        return std::nullopt;
    f.close();
    // Lines the store cannot read (a format error) are skipped by it alike
    // in both texts; what it can read is compared.
    QSettings s(path, QSettings::IniFormat);
    if (s.status() == QSettings::AccessError)
        return std::nullopt;
    Values values;
    for (const QString& k : s.allKeys())
        values.insert(k, s.value(k));
    return values;
}

} // namespace

std::unique_ptr<QSettings> QtPortMapFile::openStore() const
{
    return std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
}

bool QtPortMapFile::writeMapping(const std::string& key, const std::optional<std::string>& value,
                                 std::string& error)
{
    const QFileInfo info(fileName_);
    if (!QDir().mkpath(info.absolutePath())) {
        error = "cannot create " + info.absolutePath().toStdString();
        return false;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        error = "no room for a scratch file";
        return false;
    }
    QByteArray old;
    {
        // The store's own lock, so neither overwrites the other.
        QLockFile lock(fileName_ + QStringLiteral(".lock"));
        if (!lock.tryLock(10000)) {
            error = lock.error() == QLockFile::LockFailedError
                ? "the settings file stays locked by another program"
                : "cannot write in " + info.absolutePath().toStdString()
                    + (lock.error() == QLockFile::PermissionError ? " (the folder is read-only to you)" : "");
            return false;
        }
        if (info.exists()) {
            QFile f(fileName_);
            if (!f.open(QIODevice::ReadOnly)) {
                error = f.errorString().toStdString();
                return false;
            }
            old = f.readAll();
        }
        // Nothing when the editor cannot place the line: the store writes
        // it then (below).
        std::optional<std::string> text;
        if (value) {
            const auto escaped = escapedValue(scratch, key, *value);
            if (!escaped) {
                error = "the value cannot be written";
                return false;
            }
            text = setIniKey(old.toStdString(), kPortsSection, key, *escaped);
        } else {
            text = removeIniKey(old.toStdString(), kPortsSection, key);
        }
        if (text) {
            const QByteArray updated = QByteArray::fromStdString(*text);
            // Read both back as the store reads them: the one key changed,
            // every other key and value as it was.
            auto before = readBack(scratch, QStringLiteral("before.conf"), old);
            const auto after = readBack(scratch, QStringLiteral("after.conf"), updated);
            if (before && after) {
                if (value)
                    before->insert(portsKey(key), QString::fromStdString(*value));
                else
                    before->remove(portsKey(key));
                if (*before == *after) {
                    QSaveFile out(fileName_);
                    if (!out.open(QIODevice::WriteOnly) || out.write(updated) != updated.size() || !out.commit()) {
                        error = out.errorString().toStdString();
                        return false;
                    }
                    return true;
                }
            }
        }
    }
    // A file the line editor does not read the store's way: let the store
    // write it (the other keys and values stay; its layout may not), unless
    // the store would have to decode what it must not.
    if (const std::string entry = screenedIni(old.toStdString()).firstReplaced(); !entry.empty()) {
        error = entry + " cannot be read; the file is left as it is";
        return false;
    }
    return writeThroughStore(key, value, error);
}

} // namespace orva
