#include "ports/device_names.h"

namespace orva {

bool isDeviceName(std::string_view text)
{
    return !text.empty() && text.front() == '/';
}

std::string deviceOfComPort(int number)
{
    return "/dev/ttyS" + std::to_string(number - 1);
}

std::string_view exampleDevice()
{
    return "/dev/ttyUSB0";
}

std::string_view exampleDevices()
{
    return "/dev/ttyUSB0, /dev/serial/by-id/...";
}

std::string_view comPortDeviceForm()
{
    return "/dev/ttyS<n-1>";
}

std::optional<std::string> likelyDevice(std::string_view text)
{
    // A device's name without its folder.
    if (text.empty() || text.front() == '/' || text.find(':') != std::string_view::npos ||
        text.find('/') != std::string_view::npos)
        return std::nullopt;
    return "/dev/" + std::string(text);
}

} // namespace orva
