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
    if (value.starts_with('[')) {
        why = "the metrics endpoint listens on IPv4 addresses only (the HTTP server of the Prometheus "
              "client library is built without IPv6 on Debian)";
        return std::nullopt;
    }
    std::string host(value);
    int port = kDefaultMetricsPort;
    if (const std::size_t colon = value.rfind(':'); colon != std::string_view::npos) {
        host = value.substr(0, colon);
        const auto n = wholeNumber(value.substr(colon + 1), 1, 65535);
        if (!n) {
            why = "the port is not a number from 1 to 65535: \"" + std::string(value.substr(colon + 1)) + "\"";
            return std::nullopt;
        }
        port = *n;
    }
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1) {
        why = "not an IPv4 address: \"" + host + "\"";
        return std::nullopt;
    }
    return host + ":" + std::to_string(port);
}

std::optional<int> metricsPollSeconds(std::string_view value, std::string& why)
{
    const auto n = wholeNumber(value, 1, 86400);
    if (!n)
        why = "not a whole number of seconds from 1 to 86400: \"" + std::string(value) + "\"";
    return n;
}

std::variant<MetricsSettings, std::string> readMetricsSettings(const std::string& fileName, const ScannedIni& ini)
{
    MetricsSettings settings;
    for (const ConfigEntry& e : ini.entries) {
        if (e.section != kMetricsSection)
            continue;
        std::string why;
        if (e.key == "listen") {
            if (e.value.empty()) {
                settings.listen.clear(); // as if absent: no endpoint
                continue;
            }
            if (auto address = metricsListenAddress(e.value, why)) {
                settings.listen = *address;
                continue;
            }
        } else if (e.key == "poll") {
            if (auto seconds = metricsPollSeconds(e.value, why)) {
                settings.pollSeconds = *seconds;
                continue;
            }
        } else {
            why = "not a key of [metrics] (listen, poll)";
        }
        return fileName + ":" + std::to_string(e.line) + ": [metrics] " + e.key + ": " + why;
    }
    return settings;
}

} // namespace orva::pjlink
