#include "settings/qt_settings_store.h"

#include "settings/ini_text.h"
#include "settings/qt_settings_place.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <map>

namespace orva {
namespace {

QString path(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section + "/" + key);
}

// "Ports/COM1" as the file shows it: "[Ports] COM1".
std::string shownKey(const QString& key)
{
    const qsizetype slash = key.indexOf('/');
    if (slash < 0)
        return key.toStdString();
    return "[" + key.left(slash).toStdString() + "] " + key.mid(slash + 1).toStdString();
}

// Text values, also in lists, that hold a line end.
bool spansLines(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.contains('\n') || text.contains('\r');
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList items = value.toList();
        return std::any_of(items.begin(), items.end(), spansLines);
    }
    default:
        return false;
    }
}

// Why a file that the library would not write could not be written.
void classifyRefusal(const QString& fileName, StoreOutcome& out)
{
    const QFileInfo file(fileName);
    const QFileInfo folder(file.absolutePath());
    out.detail.clear();
    if (file.exists() && !file.isFile()) {
        out.problem = StoreOutcome::Problem::NotAFile;
    } else if (file.exists() && !file.isWritable()) {
        out.problem = StoreOutcome::Problem::ReadOnlyFile;
    } else if (!folder.exists() || !folder.isDir()) {
        out.problem = StoreOutcome::Problem::NoFolder;
        out.detail = folder.filePath().toStdString();
    } else if (!folder.isWritable()) {
        // The library replaces the file through a new one beside it.
        out.problem = StoreOutcome::Problem::ReadOnlyFolder;
        out.detail = folder.filePath().toStdString();
    } else {
        out.problem = StoreOutcome::Problem::Failed;
    }
}

// What in the store as the library reads it would be lost or changed by
// writing it back ("[Ports] COM1 runs over its line"), or an empty text when
// it reads cleanly.
std::string unreadablePart(QSettings& settings)
{
    const QStringList keys = settings.allKeys(); // the file is read here, and only then judged
    if (settings.status() == QSettings::FormatError)
        return "it has lines that cannot be read";
    for (const QString& key : keys) {
        const QVariant value = settings.value(key);
        // "@Invalid()", or a "@Variant(...)" that does not load: written back
        // it would become "@Invalid()".
        if (!value.isValid())
            return shownKey(key) + " cannot be read";
        // Values never hold line ends; one that does has swallowed the lines
        // after it, through a quote that is not closed.
        if (spansLines(value))
            return shownKey(key) + " runs over its line (a quote not closed?)";
    }
    return {};
}

using Values = std::map<QString, QVariant>;

Values valuesOf(QSettings& settings)
{
    Values out;
    for (const QString& key : settings.allKeys())
        out[key] = settings.value(key);
    return out;
}

// The same value as the file says it: a list read as a list of variants
// comes back from a write as a list of texts.
bool sameValue(const QVariant& a, const QVariant& b)
{
    auto isList = [](const QVariant& v) {
        return v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList;
    };
    if (isList(a) && isList(b))
        return a.toList().size() == b.toList().size() && a.toStringList() == b.toStringList();
    return a == b;
}

bool copyTo(const QByteArray& bytes, const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// What writing `entries` into the file as it stands now would lose or change,
// or an empty text when nothing. The library's reading of a file is shared
// by every settings object of that file in the program, and so is its
// verdict on it, so the check reads copies under names of their own: the
// file as it is, then the same after a trial write.
std::string whatWritingWouldLose(const QString& fileName, const std::string& section,
                                 const SettingsStore::Entries& entries)
{
    if (!QFileInfo(fileName).isFile())
        return {}; // nothing there to lose
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return "it cannot be read";
    const QByteArray bytes = file.readAll();
    // The library reads the file as UTF-8 and writes it so: other bytes
    // would come back as replacement characters.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return "it is not UTF-8 text";

    // The library's writer decodes every line of the file, a line that a
    // later one of the same key hides included: a value it must not decode
    // anywhere leaves the file as it is.
    if (const std::string entry = screenedIni(bytes.toStdString()).firstReplaced(); !entry.empty())
        return entry + " cannot be read";

    QTemporaryDir scratch;
    const QString trial = scratch.filePath("trial.conf");
    const QString again = scratch.filePath("again.conf");
    if (!scratch.isValid() || !copyTo(bytes, trial))
        return "it could not be checked";
    Values before;
    QStringList written;
    {
        QSettings settings(trial, QSettings::IniFormat);
        if (std::string what = unreadablePart(settings); !what.empty())
            return what;
        before = valuesOf(settings);
        for (const auto& [key, value] : entries) {
            written << path(section, key);
            settings.setValue(written.back(), QString::fromStdString(value));
        }
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return "it could not be checked";
    }
    QFile trialFile(trial);
    if (!trialFile.open(QIODevice::ReadOnly) || !copyTo(trialFile.readAll(), again))
        return "it could not be checked";
    QSettings reread(again, QSettings::IniFormat);
    const Values after = valuesOf(reread);
    for (const auto& [key, value] : before) {
        if (written.contains(key))
            continue;
        const auto it = after.find(key);
        if (it == after.end() || !sameValue(it->second, value))
            return "writing would change " + shownKey(key);
    }
    for (const auto& [key, value] : after) {
        if (!written.contains(key) && !before.count(key))
            return "writing would add " + shownKey(key);
    }
    return {};
}

} // namespace

QtSettingsStore::QtSettingsStore() : settings_(open()) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile) : iniFile_(iniFile), settings_(open()) {}

std::unique_ptr<QSettings> QtSettingsStore::open() const
{
    if (iniFile_.isEmpty())
        return openUserSettings();
    return std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
}

QSettings& QtSettingsStore::reader() const
{
    if (!storeIsAFile(*settings_))
        return *settings_;
    QFile file(settings_->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return *settings_;
    ScreenedIni screened = screenedIni(file.readAll().toStdString());
    if (screened.replaced.empty())
        return *settings_;
    if (!screened_ || screened.text != screenedText_) {
        // A new name for every change: the library keeps what it read of a
        // file by its name.
        screened_.reset();
        if (!scratch_)
            scratch_ = std::make_unique<QTemporaryDir>();
        const QString copy = scratch_->filePath(QStringLiteral("screened-%1.conf").arg(++screenedCopies_));
        const bool copied = scratch_->isValid() && copyTo(QByteArray::fromStdString(screened.text), copy);
        // Never the file itself: without a copy, reads find nothing (and the
        // copy is tried again at the next read).
        screened_ = std::make_unique<QSettings>(copied ? copy : QString(), QSettings::IniFormat);
        screenedText_ = copied ? std::move(screened.text) : std::string();
    }
    return *screened_;
}

std::string QtSettingsStore::read(const std::string& section, const std::string& key,
                                  const std::string& fallback) const
{
    const QVariant v = reader().value(path(section, key));
    if (!v.isValid())
        return fallback;
    return v.toString().toStdString();
}

StoredEntry QtSettingsStore::readCurrent(const std::string& section, const std::string& key) const
{
    settings_->sync();
    QSettings& settings = reader();
    const QString k = path(section, key);
    if (!settings.contains(k))
        return {};
    const QVariant v = settings.value(k);
    // Plain text is what a person or this program writes; anything else
    // ("@Invalid()", a "@Variant(...)" that does not load, a list) is not a
    // value this program can use.
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray)
        return {StoredEntry::State::Text, v.toString().toStdString()};
    return {StoredEntry::State::Unreadable, {}};
}

StoreOutcome QtSettingsStore::write(const std::string& section, const Entries& entries)
{
    const std::unique_ptr<QSettings> settings = open();
    StoreOutcome out;
    out.where = settings->fileName().toStdString();

    // Take the file as it stands now (another program may have changed it),
    // and leave it alone unless writing it back keeps everything it says.
    const bool file = storeIsAFile(*settings); // else the system's own store, which keeps what it holds
    if (std::string what = file ? whatWritingWouldLose(settings->fileName(), section, entries) : std::string();
        !what.empty()) {
        out.problem = StoreOutcome::Problem::Malformed;
        out.detail = std::move(what);
        return out;
    }
    auto refused = [&] {
        if (file)
            classifyRefusal(settings->fileName(), out);
        else
            out.problem = StoreOutcome::Problem::Failed;
    };
    if (!settings->isWritable()) {
        refused();
        return out;
    }
    for (const auto& [key, value] : entries)
        settings->setValue(path(section, key), QString::fromStdString(value));
    settings->sync();
    if (settings->status() != QSettings::NoError)
        refused();
    return out;
}

} // namespace orva
