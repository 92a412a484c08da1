#pragma once

#include "pjlink/config.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orva::pjlink {

// The default port of the metrics endpoint: free in Prometheus' list of
// default port allocations, whose range for exporters (9100-9999) is full.
inline constexpr int kDefaultMetricsPort = 10025;

// The `[metrics]` section of the bridge's configuration file.
struct MetricsSettings {
    std::string listen;   // where the endpoint listens, "ADDRESS:PORT"; empty: no endpoint
    int pollSeconds = 30; // between two polls of each projector
    std::string user;     // with `password`: HTTP basic authentication on the endpoint; empty: none
    std::string password;
    friend bool operator==(const MetricsSettings&, const MetricsSettings&) = default;
};

// The endpoint's address from a `listen` entry, read by parseHostPort
// (link/host_port.h): an IPv4 address, with ":PORT" (1-65535) or without
// (the default metrics port), normalised. Nothing, and why, when it is not.
// (The HTTP server under the client library, Debian's civetweb, is built
// without IPv6: a bracketed address is refused with that reason.)
std::optional<std::string> metricsListenAddress(std::string_view value, std::string& why);

// A `poll` entry: whole seconds, 1 to one day.
std::optional<int> metricsPollSeconds(std::string_view value, std::string& why);

// The `[metrics]` section of the file (defaults when there is none), or the
// first thing wrong with it as "FILE:LINE: [metrics] key: why".
std::variant<MetricsSettings, std::string> readMetricsSettings(const std::string& fileName, const ScannedIni& ini);

} // namespace orva::pjlink
