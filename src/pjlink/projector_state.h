#pragma once

#include "pjlink/line_queue.h"

#include <array>
#include <optional>

namespace orva::pjlink {

// The projector's state as its read commands report it, from the replies the
// line queue hands back. Nothing when the reply is missing or means nothing.

enum class PowerState { On, Standby, CountDown, CoolingDown, PowerAbnormality, TemperatureAbnormality, LampFailure };
enum class LampState { On, Off, Failure };

// The frames of those reads, as the queue takes them (frame and decoding key).
inline constexpr const char* kPowerRead = "CR0\r";
inline constexpr const char* kInputRead = "CR1\r";
inline constexpr const char* kLampTimeRead = "CR3\r";
inline constexpr const char* kTemperatureRead = "CR6\r";
inline constexpr const char* kLampStatusRead = "CR LAMPSTS\r";

// The reply to CR0, by the link's own decoding of it.
std::optional<PowerState> powerState(const LineReply& reply);
// The reply to CR3: five digits and CR.
std::optional<long> lampHours(const LineReply& reply);
// The reply to CR6: three fields ("+25.5 +31.0 +40.2"), the projector's
// three sensors in degrees Celsius; a field that is not a number ("-----")
// is left empty. Nothing when the reply does not hold three fields.
using Temperatures = std::array<std::optional<double>, 3>;
std::optional<Temperatures> temperatures(const LineReply& reply);
// The reply to CR LAMPSTS, by the link's own decoding of it.
std::optional<LampState> lampState(const LineReply& reply);
// The reply to CR1: the input number the projector reports (1 to 5).
std::optional<int> inputNumber(const LineReply& reply);
// A set command's reply: ACK (true), "?" (false), or anything else (nothing).
std::optional<bool> acknowledged(const LineReply& reply);

} // namespace orva::pjlink
