#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orva {

// What the serial control opens, as a COM port is mapped to it in the
// settings' "Ports" section (or orva-ctl's --port names it):
//   a serial device by its path        /dev/ttyUSB0, /dev/serial/by-id/...  (COMn on Windows)
//   a raw TCP byte stream              tcp://HOST:PORT
//   a telnet COM-PORT-OPTION port      rfc2217://HOST:PORT
// HOST:PORT is read by parseHostPort (link/host_port.h): HOST is a name, an
// IPv4 address (four decimal numbers; leading zeros are
// read as decimal, never as octal, and dropped) or an IPv6 address in
// brackets; PORT is 1 to 65535. The scheme is read case-blind, as URL schemes are.
struct PortTarget {
    enum class Kind { Device, RawTcp, Rfc2217 };

    Kind kind = Kind::Device;
    std::string device; // Device: the path
    std::string host;   // network kinds: without the brackets of an IPv6 address
    std::uint16_t port = 0;

    bool isNetwork() const { return kind != Kind::Device; }
    // The text form, as it is written in the map (IPv6 hosts bracketed again).
    std::string text() const;

    friend bool operator==(const PortTarget&, const PortTarget&) = default;
};

// The target a map entry names, or nothing when the text is plainly not one
// (empty, a relative path, an unknown scheme, a missing or bad host or port,
// control characters anywhere).
std::optional<PortTarget> parsePortTarget(std::string_view text);

// What a COM port number leads to, or why it leads nowhere.
struct PortResolution {
    std::optional<PortTarget> target; // nothing: the port cannot be opened
    std::string name;                 // "COM3"
    std::string error;                // why there is no target
};
using PortResolver = std::function<PortResolution(int portNumber)>;

} // namespace orva
