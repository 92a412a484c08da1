#include "ctl/qt_port_map_file.h"

#include "settings/port_map.h"

#include <QSettings>

namespace orva {

QString portsKey(const std::string& key)
{
    return QString::fromLatin1(kPortsSection) + '/' + QString::fromStdString(key);
}

bool QtPortMapFile::writeThroughStore(const std::string& key, const std::optional<std::string>& value,
                                      std::string& error)
{
    const std::unique_ptr<QSettings> store = openStore();
    QSettings& s = *store;
    if (value)
        s.setValue(portsKey(key), QString::fromStdString(*value));
    else
        s.remove(portsKey(key));
    s.sync();
    if (s.status() != QSettings::NoError) {
        error = s.status() == QSettings::AccessError ? "access denied" : "the settings are malformed";
        return false;
    }
    return true;
}

} // namespace orva
