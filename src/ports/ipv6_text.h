#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orva {

// The system's own reading of an IPv6 address without a zone (inet_pton),
// written back as the system writes it (inet_ntop); nothing when the
// system refuses it. One implementation per platform.
std::optional<std::string> systemIpv6Text(std::string_view address);

} // namespace orva
