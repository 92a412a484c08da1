#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orva {

// Turns the reply to one of the panel's read commands into words for the
// status label. Works on the received line as the monitor rendered it, keyed
// on the panel command (the frame a panel control last prepared).
//
// `status` is what the status label holds now (the lamp time is appended to
// it). Returns the label's new caption, or nothing when the reply means
// nothing to the rule of that command (the label is then left alone).
std::optional<std::string> decodeReply(std::string_view receivedLine,
                                       std::size_t bufferLength,
                                       std::string_view panelCommand,
                                       std::string_view status);

// The three lamp-mode texts, for the reply to "CR7" (and "CR LAMPMODE").
inline constexpr std::string_view kLampModeHigh = " Lamp Mode is High";
inline constexpr std::string_view kLampModeNormal = " Lamp Mode is NORMAL";
inline constexpr std::string_view kLampModeEco = " Lamp Mode is Eco";

} // namespace orva
