#include "ctl/ctl_port.h"

#include "settings/port_map.h"
#include "settings/stored_settings.h"

namespace orva {

std::string ResolvedPort::name() const
{
    return com ? "COM" + std::to_string(*com) : target.text();
}

std::string ResolvedPort::label() const
{
    if (!com)
        return target.text();
    const std::string device = target.text();
    return device == name() ? device : name() + " (" + device + ")";
}

std::variant<ResolvedPort, std::string> resolvePort(const Request& request, const SettingsStore& store)
{
    ResolvedPort port;
    port.baudCode = request.baudCode ? *request.baudCode : storedBaudCode(store);

    int com = 0;
    if (request.port) {
        if (const auto n = comNumber(*request.port)) {
            com = static_cast<int>(*n);
        } else if (auto target = parsePortTarget(*request.port)) {
            port.target = std::move(*target);
            return port;
        } else {
            return "--port " + *request.port + " is not a port"; // refused earlier as a usage error
        }
    } else {
        com = storedPortNumber(store);
        if (!isUsablePort(com))
            return std::string("no port given and none stored: choose one in orva-control, or give "
                               "--port COMn|DEVICE|ADDRESS");
    }
    if (!isUsablePort(com))
        return "COM" + std::to_string(com) + " is not one of COM1 to COM15";
    port.com = com;
    const std::string mapped = devicePathForPort(com, store);
    auto target = parsePortTarget(mapped);
    if (!target)
        return "COM" + std::to_string(com) + " is mapped to \"" + mapped +
               "\" in the settings, which is neither a device path nor a network address; "
               "correct it with: orva-ctl map COM" + std::to_string(com) + " TARGET";
    port.target = std::move(*target);
    return port;
}

} // namespace orva
