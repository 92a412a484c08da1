#pragma once

#include "settings/settings_store.h"

#include <string>

namespace orva {

// The device behind COM port n. On Windows it is "COMn". Elsewhere the
// section "Ports" maps it (key "COMn", value a device path), by default to
// /dev/ttyS<n-1>.
std::string devicePathForPort(int number, const SettingsStore& store);

} // namespace orva
