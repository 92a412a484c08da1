// The [Ports] map as the settings library reads it from a file on disk:
// whatever a person, an editor or another program leaves in ORVA.conf (junk,
// quotes, NULs, @Variant values) resolves to a target the entry names, or to
// no port at all; a present entry never falls back to the default device.
#include "line/serial_port.h"
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orva;

namespace {
QString configFile;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QString dir = QDir::tempPath() + "/orva-fuzz-port-map-" + QString::number(QCoreApplication::applicationPid());
    QDir().mkpath(dir);
    qputenv("XDG_CONFIG_HOME", dir.toLocal8Bit());
    configFile = dir + "/ORVA.conf";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        QFile file(configFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write("[Ports]\n");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const QtSettingsStore store;
    const QSettings raw(configFile, QSettings::IniFormat);
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const PortResolution r = resolvePort(n, store);
        if (r.target.has_value() == !r.error.empty())
            std::abort(); // a target or a reason, never both or neither
        if (!r.target)
            continue;
        if (parsePortTarget(r.target->text()) != r.target)
            std::abort(); // what is opened is what its text says
        const QString key = "Ports/COM" + QString::number(n);
        if (r.target->text() == defaultDeviceForPort(n) && raw.contains(key)
            && raw.value(key).toString().toStdString() != defaultDeviceForPort(n))
            std::abort(); // an entry that is there but not a target fell back
    }
    return 0;
}
