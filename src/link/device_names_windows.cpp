#include "link/device_names.h"

#include "link/win32_serial_line.h"

namespace orva {

bool isDeviceName(std::string_view text)
{
    return win32DevicePath(text).has_value();
}

std::string deviceOfComPort(int number)
{
    return "\\\\.\\COM" + std::to_string(number);
}

} // namespace orva
