#include "pjlink/metrics_settings.h"

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

bool printableWithout(std::string_view text, char refused)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f || c == refused)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> metricsListenAddress(std::string_view value, std::string& why)
{
    const auto address = parseHostPort(value, HostPortRules{false, kDefaultMetricsPort}, why);
    if (!address)
        return std::nullopt;
    if (address->kind != HostPort::Kind::Ipv4) {
        why = "the metrics endpoint listens on IPv4 addresses only (the HTTP server of the Prometheus "
              "client library is built without IPv6 on Debian)";
        return std::nullopt;
    }
    return address->text();
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
    int userLine = 0;
    int passwordLine = 0;
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
        } else if (e.key == "user") {
            if (e.value.size() <= 64 && printableWithout(e.value, ':')) {
                settings.user = e.value;
                userLine = e.line;
                continue;
            }
            why = "at most 64 printable characters, without \":\"";
        } else if (e.key == "password") {
            if (e.value.size() <= 64 && printableWithout(e.value, '\0')) {
                settings.password = e.value;
                passwordLine = e.line;
                continue;
            }
            why = "at most 64 printable characters"; // never the value
        } else {
            why = "not a key of [metrics] (listen, poll, user, password)";
        }
        return fileName + ":" + std::to_string(e.line) + ": [metrics] " + e.key + ": " + why;
    }
    // Basic authentication needs both; either alone is a mistake, not "none".
    if (settings.user.empty() != settings.password.empty()) {
        const bool noUser = settings.user.empty();
        return fileName + ":" + std::to_string(noUser ? passwordLine : userLine) + ": [metrics] "
            + (noUser ? "password: needs a user (user=NAME)" : "user: needs a password (password=...)");
    }
    return settings;
}

} // namespace orva::pjlink
