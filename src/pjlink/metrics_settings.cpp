#include "pjlink/metrics_settings.h"

#include <arpa/inet.h>

#include <charconv>

namespace orva::pjlink {
namespace {

std::optional<int> wholeNumber(std::string_view text, int low, int high)
{
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || n < low || n > high)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<std::string> metricsListenAddress(std::string_view value, std::string& why)
{
    std::string_view host = value;
    std::optional<std::string_view> port;
    bool v6 = false;
    if (value.starts_with('[')) {
        const std::size_t close = value.find(']');
        if (close == std::string_view::npos || (close + 1 < value.size() && value[close + 1] != ':')) {
            why = "an IPv6 address goes in brackets: [::]:PORT";
            return std::nullopt;
        }
        host = value.substr(1, close - 1);
        if (close + 1 < value.size())
            port = value.substr(close + 2);
        v6 = true;
    } else if (const std::size_t colon = value.rfind(':'); colon != std::string_view::npos) {
        host = value.substr(0, colon);
        port = value.substr(colon + 1);
    }
    unsigned char address[16];
    const std::string hostText(host);
    if (inet_pton(v6 ? AF_INET6 : AF_INET, hostText.c_str(), address) != 1) {
        why = "not an IPv4 address nor an IPv6 address in brackets: \"" + hostText + "\"";
        return std::nullopt;
    }
    int number = kDefaultMetricsPort;
    if (port) {
        const auto n = wholeNumber(*port, 1, 65535);
        if (!n) {
            why = "the port is not a number from 1 to 65535: \"" + std::string(*port) + "\"";
            return std::nullopt;
        }
        number = *n;
    }
    return (v6 ? "[" + hostText + "]" : hostText) + ":" + std::to_string(number);
}

std::optional<int> metricsPollSeconds(std::string_view value, std::string& why)
{
    const auto n = wholeNumber(value, 1, 86400);
    if (!n)
        why = "not a whole number of seconds from 1 to 86400: \"" + std::string(value) + "\"";
    return n;
}

} // namespace orva::pjlink
