#include "ports/host_port.h"

#include "ports/ipv6_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace orva {
namespace {

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// RFC 1123 labels, dot-separated.
bool isHostName(std::string_view host)
{
    if (host.empty() || host.size() > 253)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                return false;
        }
        if (end == host.size())
            return true;
        start = end + 1;
    }
}

// An interface name or number after the '%' of an IPv6 address.
bool isZone(std::string_view zone)
{
    return !zone.empty() && zone.size() <= 64 && std::all_of(zone.begin(), zone.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
    });
}

std::optional<std::uint16_t> portNumber(std::string_view text)
{
    if (text.empty() || text.size() > 5 || !allDigits(text))
        return std::nullopt;
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::string HostPort::text() const
{
    const bool v6 = kind == Kind::Ipv6;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool HostPort::wildcard() const
{
    return (kind == Kind::Ipv4 && host == "0.0.0.0") || (kind == Kind::Ipv6 && host == "::");
}

std::optional<std::string> decimalIpv4(std::string_view host)
{
    std::string out;
    int parts = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view part = host.substr(start, end - start);
        if (!allDigits(part) || ++parts > 4)
            return std::nullopt;
        const std::string_view digits = part.substr(std::min(part.find_first_not_of('0'), part.size() - 1));
        unsigned value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.size() > 3 || value > 255)
            return std::nullopt;
        out += (out.empty() ? "" : ".") + std::string(digits);
        if (end == host.size())
            break;
        start = end + 1;
    }
    if (parts != 4)
        return std::nullopt;
    return out;
}

std::optional<std::string> ipv6Address(std::string_view text)
{
    const std::size_t percent = text.find('%');
    const std::string_view address = text.substr(0, percent);
    if (percent != std::string_view::npos && !isZone(text.substr(percent + 1)))
        return std::nullopt;
    // The system parser reads the address; it never sees a character it
    // could take for something else (a zone, a second address).
    if (address.empty() || address.size() > 45 || !std::all_of(address.begin(), address.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
        }))
        return std::nullopt;
    auto canonical = systemIpv6Text(address);
    if (!canonical)
        return std::nullopt;
    if (percent != std::string_view::npos)
        *canonical += std::string(text.substr(percent));
    return canonical;
}

std::optional<HostPort> parseHostPort(std::string_view text, const HostPortRules& rules, std::string& why)
{
    HostPort out;
    std::string_view host;
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            why = "an IPv6 address without its closing bracket";
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') {
            why = "something other than \":PORT\" after the IPv6 address";
            return std::nullopt;
        }
        hasPort = !rest.empty();
        portText = hasPort ? rest.substr(1) : std::string_view();
        auto address = ipv6Address(host);
        if (!address) {
            why = "not an IPv6 address between the brackets";
            return std::nullopt;
        }
        out.kind = HostPort::Kind::Ipv6;
        out.host = std::move(*address);
    } else {
        const std::size_t colon = text.rfind(':');
        hasPort = colon != std::string_view::npos;
        host = hasPort ? text.substr(0, colon) : text;
        portText = hasPort ? text.substr(colon + 1) : std::string_view();
        if (host.find(':') != std::string_view::npos) {
            why = "an IPv6 address must be written in brackets, as [::1]:PORT";
            return std::nullopt;
        }
        // A last label that is a number: no top-level domain is numeric, so
        // it is an IPv4 address, and must be one.
        const std::size_t lastDot = host.rfind('.');
        const bool numeric = allDigits(host.substr(lastDot == std::string_view::npos ? 0 : lastDot + 1));
        if (numeric || !rules.names) {
            auto address = decimalIpv4(host);
            if (!address) {
                why = rules.names ? "not a host name or an IPv4 address of four decimal numbers 0 to 255"
                                  : "not an IPv4 address of four decimal numbers 0 to 255 (or an IPv6 "
                                    "address in brackets)";
                return std::nullopt;
            }
            out.kind = HostPort::Kind::Ipv4;
            out.host = std::move(*address);
        } else {
            if (!isHostName(host)) {
                why = "not a host name, an IPv4 address or an IPv6 address in brackets";
                return std::nullopt;
            }
            out.kind = HostPort::Kind::Name;
            out.host = std::string(host);
        }
    }
    if (!hasPort) {
        if (!rules.defaultPort) {
            why = "no \":PORT\" after the address";
            return std::nullopt;
        }
        out.port = *rules.defaultPort;
        return out;
    }
    const auto port = portNumber(portText);
    if (!port) {
        why = "the port is not a number from 1 to 65535";
        return std::nullopt;
    }
    out.port = *port;
    return out;
}

} // namespace orva
