#include "ports/device_names.h"

#include "ports/win32_serial_line.h"

namespace orva {

bool isDeviceName(std::string_view text)
{
    return win32DevicePath(text).has_value();
}

std::string deviceOfComPort(int number)
{
    return "\\\\.\\COM" + std::to_string(number);
}

std::string_view exampleDevice()
{
    return "COM3";
}

std::string_view exampleDevices()
{
    return "COM3, \\\\.\\COM12";
}

std::string_view comPortDeviceForm()
{
    return "\\\\.\\COMn";
}

std::optional<std::string> likelyDevice(std::string_view)
{
    return std::nullopt; // a COM port's name is a device already
}

} // namespace orva
