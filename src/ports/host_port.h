#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orva {

// An address literal or a host name with a port, as the configuration files
// write them: "HOST:PORT", an IPv6 address in brackets ("[::1]:4352").
//
//   IPv4  four decimal numbers 0 to 255; leading zeros are decimal, never
//         octal, and dropped ("127.000.000.010" is 127.0.0.10). Every other
//         numeric form the C library would take (127.1, 0x7f.0.0.1,
//         2130706433) is refused, so the text kept is the address used.
//   IPv6  what the system's own parser takes, written back in its canonical
//         form ("[0:0::0001]" is "::1"); a zone after '%' ("fe80::1%eth0")
//         is kept as written.
//   name  RFC 1123 labels, where the caller allows names (a last label that
//         is a number makes it an IPv4 address, which then has to be one).
// PORT is 1 to 65535; where the caller has a default it may be left out.
struct HostPort {
    enum class Kind { Ipv4, Ipv6, Name };
    Kind kind = Kind::Ipv4;
    std::string host; // normalised; an IPv6 address without its brackets
    std::uint16_t port = 0;

    // "HOST:PORT", an IPv6 host bracketed again.
    std::string text() const;
    // 0.0.0.0 or ::, every address of the machine.
    bool wildcard() const;

    friend bool operator==(const HostPort&, const HostPort&) = default;
};

struct HostPortRules {
    bool names = false;                      // a host name is allowed besides addresses
    std::optional<std::uint16_t> defaultPort; // set: ":PORT" may be left out
};

// The host and port `text` names, or nothing with `why` (one phrase, with no
// text of the value in it).
std::optional<HostPort> parseHostPort(std::string_view text, const HostPortRules& rules, std::string& why);

// An IPv4 address by the rule above, normalised; nothing when it is not one.
std::optional<std::string> decimalIpv4(std::string_view text);

// An IPv6 address (with or without a zone, without brackets) in its
// canonical form; nothing when the system's parser refuses it.
std::optional<std::string> ipv6Address(std::string_view text);

} // namespace orva
