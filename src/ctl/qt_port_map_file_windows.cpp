#include "ctl/qt_port_map_file.h"

#include "settings/qt_settings_place.h"

namespace orva {

std::unique_ptr<QSettings> QtPortMapFile::openStore() const
{
    return openUserSettings(); // the registry, where orva-control keeps its settings
}

bool QtPortMapFile::writeMapping(const std::string& key, const std::optional<std::string>& value,
                                 std::string& error)
{
    // The registry keeps every other value as it is.
    return writeThroughStore(key, value, error);
}

} // namespace orva
