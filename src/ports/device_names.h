#pragma once

#include <optional>
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

// For help and messages: a device as people write one (/dev/ttyUSB0; COM3),
// a few (/dev/ttyUSB0, /dev/serial/by-id/...; COM3, \\.\COM12), and the
// device of COM n in words (/dev/ttyS<n-1>; \\.\COMn).
std::string_view exampleDevice();
std::string_view exampleDevices();
std::string_view comPortDeviceForm();

// The device a text that is none perhaps meant: /dev/ttyUSB0 for "ttyUSB0";
// nothing when there is no likely one.
std::optional<std::string> likelyDevice(std::string_view text);

} // namespace orva
