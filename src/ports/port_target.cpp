#include "ports/port_target.h"

#include "ports/device_names.h"
#include "ports/host_port.h"

#include <algorithm>
#include <cctype>

namespace orva {
namespace {

bool hasControlCharacter(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
            return false;
    }
    return true;
}

std::optional<PortTarget> parseNetwork(PortTarget::Kind kind, std::string_view rest)
{
    // A trailing slash is what a pasted URL often carries; nothing else may follow.
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    std::string why;
    const auto address = parseHostPort(rest, HostPortRules{true, std::nullopt}, why);
    if (!address)
        return std::nullopt;
    PortTarget t;
    t.kind = kind;
    t.host = address->host;
    t.port = address->port;
    return t;
}

} // namespace

std::string PortTarget::text() const
{
    switch (kind) {
    case Kind::Device:
        return device;
    case Kind::RawTcp:
    case Kind::Rfc2217: {
        const bool v6 = host.find(':') != std::string::npos;
        return std::string(kind == Kind::RawTcp ? "tcp://" : "rfc2217://") + (v6 ? "[" : "") + host
            + (v6 ? "]" : "") + ":" + std::to_string(port);
    }
    }
    return device;
}

std::optional<PortTarget> parsePortTarget(std::string_view text)
{
    if (text.empty() || hasControlCharacter(text))
        return std::nullopt;
    if (startsWithNoCase(text, "tcp://"))
        return parseNetwork(PortTarget::Kind::RawTcp, text.substr(6));
    if (startsWithNoCase(text, "rfc2217://"))
        return parseNetwork(PortTarget::Kind::Rfc2217, text.substr(10));
    if (text.find("://") != std::string_view::npos)
        return std::nullopt; // a scheme we do not speak
    if (!isDeviceName(text))
        return std::nullopt;
    PortTarget t;
    t.kind = PortTarget::Kind::Device;
    t.device = std::string(text);
    return t;
}

} // namespace orva
