#include "link/port_target.h"

#include "link/device_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>

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

// A host name (RFC 1123 labels) or a dotted IPv4 address, which is made of
// the same characters.
bool isHostName(std::string_view host)
{
    if (host.empty() || host.size() > 253)
        return false;
    std::size_t start = 0;
    while (start <= host.size()) {
        std::size_t end = host.find('.', start);
        if (end == std::string_view::npos)
            end = host.size();
        const std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                return false;
        }
        start = end + 1;
        if (end == host.size())
            break;
    }
    return true;
}

// An IPv6 address as written between brackets: hex groups and colons, an
// embedded IPv4 tail, and a zone after '%'. The resolver judges the rest.
bool isIpv6Literal(std::string_view host)
{
    const std::size_t percent = host.find('%');
    const std::string_view address = host.substr(0, percent);
    if (address.find(':') == std::string_view::npos || address.size() > 45)
        return false;
    if (percent != std::string_view::npos && percent + 1 >= host.size())
        return false;
    return std::all_of(address.begin(), address.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
    });
}

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A host whose last label is a number is an IPv4 address (no top-level
// domain is numeric). The system's resolver would read it the way inet_aton
// does: "010" as octal 8, "0x10" as hex, "127.1" as 127.0.0.1. Here it must
// be four decimal numbers 0 to 255; leading zeros are read as decimal and
// dropped ("127.000.000.010" is 127.0.0.10), so the text handed on (and
// printed and stored) is the address that is really used. Nothing when the
// host is not numeric; an empty string when it is numeric but no address.
std::optional<std::string> decimalIpv4(std::string_view host)
{
    const std::size_t lastDot = host.rfind('.');
    if (!allDigits(host.substr(lastDot == std::string_view::npos ? 0 : lastDot + 1)))
        return std::nullopt;
    std::string out;
    int parts = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view part = host.substr(start, end - start);
        if (!allDigits(part) || ++parts > 4)
            return std::string();
        const std::size_t first = std::min(part.find_first_not_of('0'), part.size() - 1);
        const std::string_view digits = part.substr(first);
        if (digits.size() > 3 || std::stoi(std::string(digits)) > 255)
            return std::string();
        out += (out.empty() ? "" : ".") + std::string(digits);
        if (end == host.size())
            break;
        start = end + 1;
    }
    return parts == 4 ? out : std::string();
}

std::optional<std::uint16_t> portNumber(std::string_view text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<PortTarget> parseNetwork(PortTarget::Kind kind, std::string_view rest)
{
    PortTarget t;
    t.kind = kind;
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return std::nullopt;
        const std::string_view host = rest.substr(1, close - 1);
        if (!isIpv6Literal(host))
            return std::nullopt;
        t.host = std::string(host);
        portText = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, colon);
        if (!isHostName(host))
            return std::nullopt;
        const auto ipv4 = decimalIpv4(host);
        if (ipv4 && ipv4->empty())
            return std::nullopt;
        t.host = ipv4 ? *ipv4 : std::string(host);
        portText = rest.substr(colon + 1);
    }
    // A trailing slash is what a pasted URL often carries; nothing else may follow.
    if (!portText.empty() && portText.back() == '/')
        portText.remove_suffix(1);
    const auto port = portNumber(portText);
    if (!port)
        return std::nullopt;
    t.port = *port;
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
