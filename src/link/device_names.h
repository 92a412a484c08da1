#pragma once

#include <string>
#include <string_view>

namespace orva {

// How the platform names its serial devices, one file per platform
// (device_names_posix.cpp, device_names_windows.cpp).

// Whether a map entry or --port names a device: an absolute path
// (/dev/ttyUSB0), on Windows a COM port (COM3, \\.\COM12).
bool isDeviceName(std::string_view text);

// The device of COM n when nothing maps it: /dev/ttyS<n-1>, on Windows
// \\.\COM<n> (the form COM10 and up need).
std::string deviceOfComPort(int number);

} // namespace orva
