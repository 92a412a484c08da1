#pragma once

#include "ctl/ctl_arguments.h"
#include "ports/port_target.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace orva {

// The port an orva-ctl command talks to, as chosen by --port and --baud or,
// without them, by the record orva-control stored.
struct ResolvedPort {
    std::optional<int> com; // when it was chosen as COM n
    PortTarget target;      // what COM n maps to, or what --port named
    std::uint8_t baudCode = 192;

    int baudRate() const { return baudCode == 96 ? 9600 : 19200; }
    // "COM3" or the device or address itself.
    std::string name() const;
    // For messages: "COM3 (/dev/ttyUSB0)", or the device or address.
    std::string label() const;
};

// The port, or why there is none to open (a message for exit status 2).
std::variant<ResolvedPort, std::string> resolvePort(const Request& request, const SettingsStore& store);

} // namespace orva
