#include "settings/port_map.h"

#include "ports/device_names.h"
#include "line/readable_text.h"
#include "settings/stored_settings.h"

namespace orva {

std::string defaultDeviceForPort(int number)
{
    return deviceOfComPort(number);
}

PortResolver portMapOf(const SettingsStore& store)
{
    return [&store](int number) { return resolvePort(number, store); };
}

PortResolution resolvePort(int number, const SettingsStore& store)
{
    PortResolution r;
    r.name = "COM" + std::to_string(number);
    if (!isUsablePort(number)) {
        r.error = "no port chosen";
        return r;
    }
    const StoredEntry entry = store.readCurrent(kPortsSection, r.name);
    switch (entry.state) {
    case StoredEntry::State::Absent:
        r.target = parsePortTarget(defaultDeviceForPort(number));
        if (!r.target)
            r.error = "no device for " + r.name;
        break;
    case StoredEntry::State::Unreadable:
        r.error = "the [Ports] entry " + r.name + " cannot be read; write it as a device path, "
                  "tcp://HOST:PORT or rfc2217://HOST:PORT";
        break;
    case StoredEntry::State::Text:
        r.target = parsePortTarget(entry.text);
        if (!r.target)
            r.error = "the [Ports] entry " + r.name + "=" + readableText(entry.text) +
                      " is not a device path, tcp://HOST:PORT or rfc2217://HOST:PORT";
        break;
    }
    return r;
}

} // namespace orva
