#include "settings/port_map.h"

namespace orva {

std::string devicePathForPort(int number, const SettingsStore& store)
{
    const std::string key = "COM" + std::to_string(number);
#ifdef _WIN32
    (void)store;
    return key;
#else
    return store.read("Ports", key, "/dev/ttyS" + std::to_string(number - 1));
#endif
}

} // namespace orva
