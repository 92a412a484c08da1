#pragma once

#include <string_view>

namespace orva {

// The line-monitor controls the link writes, by the object names the main
// window gives them.
namespace monitor {
inline constexpr std::string_view kSentLine = "Label11";
inline constexpr std::string_view kReceivedLine = "Label12";
inline constexpr std::string_view kStatus = "Label25";
inline constexpr std::string_view kCrLegend = "Label28";
inline constexpr std::string_view kSpaceLegend = "Label27";
// Why the last frame did not go out, or that the port was lost; empty while
// all is well. Shown in the part of the window that is always visible.
inline constexpr std::string_view kNotice = "LinkNotice";
} // namespace monitor

} // namespace orva
