#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace orva::pjlink {

// The power table of the projector's "CR0" reply.
enum class PowerState { On, Standby, CountDown, CoolingDown, PowerAbnormality, TemperatureAbnormality, LampFailure };

// The lamp of the "CR LAMPSTS" reply.
enum class LampState { On, Off, Failure };

std::optional<PowerState> readPowerState(std::string_view reply);
std::optional<long> readLampHours(std::string_view reply);
std::optional<LampState> readLampState(std::string_view reply);

// The three fields of the "CR6" reply ("+25.5 +31.0 +40.2", intake, inside,
// exhaust) in degrees Celsius; a field that is not a number is left empty.
// Nothing at all when the reply does not hold three fields.
std::optional<std::array<std::optional<double>, 3>> readTemperatures(std::string_view reply);

} // namespace orva::pjlink
