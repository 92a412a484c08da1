#pragma once

#include "ports/port_target.h"
#include "settings/settings_store.h"

#include <string>

namespace orva {

inline constexpr const char* kPortsSection = "Ports";

// What COM port n leads to. The section "Ports" maps it (key "COMn") to a
// device path, tcp://HOST:PORT or rfc2217://HOST:PORT; without an entry it
// is the platform's device for COM n.
//
// Reads the map as it is now (an entry another program changed since the
// last open is seen). A present entry that is not a target, or that cannot
// be read at all, is a port that cannot be opened: nothing else is tried in
// its place.
PortResolution resolvePort(int number, const SettingsStore& store);

// The map of `store` as the serial control asks it, at every open.
PortResolver portMapOf(const SettingsStore& store);

// COM n when the map says nothing: /dev/ttyS<n-1>, on Windows \\.\COMn.
std::string defaultDeviceForPort(int number);

} // namespace orva
