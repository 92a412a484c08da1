// Settings as start-up reads them and as OK writes them.
//
// The first line of the input is taken as a stored ComPort, the second as a
// stored BaudRate: start-up's reading never fails on them. The whole input is
// then a settings file on disk, read and written through the real store (junk,
// quotes, NULs, "@Variant" values): reading never fails, and OK's write either
// leaves the file byte for byte as it was, or keeps every value it held.
#include "fakes.h"
#include "settings/ini_text.h"
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"
#include "settings/stored_settings.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

using namespace orva;

namespace {

void storedValues(const std::string& text)
{
    const auto cut = text.find('\n');
    test::FakeStore store;
    store.values[std::string(kStartUpSection) + "/" + kComPortKey] = text.substr(0, cut);
    store.values[std::string(kStartUpSection) + "/" + kBaudRateKey] =
        cut == std::string::npos ? std::string() : text.substr(cut + 1);
    (void)storedPortNumber(store); // any 16-bit value, never a crash
    const std::uint8_t baud = storedBaudCode(store);
    if (baud != kBaud9600 && baud != kBaud19200)
        std::abort();
    const double n = leadingNumber(text);
    if (const auto whole = roundedWhole(n, -32768, 32767); whole && (*whole < -32768 || *whole > 32767))
        std::abort();
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    return f.readAll();
}

// Every value of the file, as the library reads it under a name it has not
// read before; what the store never lets it decode reads as a value that
// does not load, as in the store. (So a value the screen lets through that
// claims memory without end is caught here too.)
std::map<QString, QVariant> valuesOf(const QByteArray& bytes, const QString& scratch)
{
    const QByteArray screened = QByteArray::fromStdString(screenedIni(bytes.toStdString()).text);
    QFile f(scratch);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(screened) != screened.size())
        std::abort();
    f.close();
    std::map<QString, QVariant> out;
    {
        QSettings s(scratch, QSettings::IniFormat);
        for (const QString& key : s.allKeys())
            out[key] = s.value(key);
    }
    QFile::remove(scratch);
    return out;
}

// The same value as the file says it. (A list read as a list of variants
// comes back from a write as a list of texts: the same texts.)
bool sameValue(const QVariant& a, const QVariant& b)
{
    auto isList = [](const QVariant& v) {
        return v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList;
    };
    if (isList(a) && isList(b))
        return a.toStringList() == b.toStringList() && a.toList().size() == b.toList().size();
    return a == b;
}

void settingsFile(const QByteArray& bytes)
{
    static const QTemporaryDir dir;
    static unsigned long long round = 0;
    // A new name each time: the library keeps what it read of a file.
    const QString file = dir.filePath("ORVA-" + QString::number(++round) + ".conf");
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }
    const std::map<QString, QVariant> before = valuesOf(bytes, file + ".before");
    StoreOutcome outcome;
    {
        QtSettingsStore store(file);
        (void)storedPortNumber(store);
        (void)storedBaudCode(store);
        for (int n = kFirstPort; n <= kLastPort; ++n)
            (void)resolvePort(n, store);
        outcome = storePortChoice(store, 3, 96);
    }
    const QByteArray after = contents(file);
    QFile::remove(file);
    switch (outcome.problem) {
    case StoreOutcome::Problem::None:
        break;
    case StoreOutcome::Problem::Malformed:
        if (after != bytes || outcome.detail.empty())
            std::abort(); // refused, yet changed
        return;
    default:
        std::abort(); // a plain file in a writable folder
    }
    // Stored: the choice is there, and nothing else was lost or changed.
    std::map<QString, QVariant> now = valuesOf(after, file + ".after");
    if (now["StartUP/ComPort"].toString() != "3" || now["StartUP/BaudRate"].toString() != "96")
        std::abort();
    for (const auto& [key, value] : before) {
        if (key == "StartUP/ComPort" || key == "StartUP/BaudRate")
            continue;
        const auto it = now.find(key);
        if (it == now.end() || !sameValue(it->second, value))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The library's warnings about values it cannot load are expected here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    storedValues(text);
    settingsFile(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
