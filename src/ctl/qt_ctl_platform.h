#pragma once

#include "ctl/listings.h"

#include <string>
#include <vector>

namespace orva {

// What orva-ctl asks of the platform about serial devices, one file per
// platform (qt_ctl_platform_posix.cpp, qt_ctl_platform_windows.cpp).

// The serial devices present: on Linux what QSerialPortInfo reports, each
// with its /dev/serial/by-id/ name where it has one; on Windows the COM
// ports the system lists.
std::vector<SerialDevice> serialDevicesPresent();

// What is at a device path: a character device (followed through links),
// nothing, or something else; on Windows whether the COM port exists.
PathState probePath(const std::string& path);

// Why `device` is not worth opening, told before trying ("no such device
// ..."); empty when it may be tried.
std::string deviceProblemBeforeOpen(const std::string& device);

// Why opening `device` failed, when the platform tells more than the serial
// control did ("permission denied ..."); empty otherwise.
std::string deviceProblemAfterFailedOpen(const std::string& device);

} // namespace orva
