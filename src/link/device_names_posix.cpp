#include "link/device_names.h"

namespace orva {

bool isDeviceName(std::string_view text)
{
    return !text.empty() && text.front() == '/';
}

std::string deviceOfComPort(int number)
{
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace orva
