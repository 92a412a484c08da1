#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <variant>

namespace orva {

// What the projector's read commands report, parsed from the reply bytes.
// Each parser takes the whole reply and is strict: the reply is the form of
// its read followed by one CR and nothing else, or it is not readable
// (nothing). No reply is taken by its beginning alone.

// CR0: two digits.
enum class PowerState { On, Standby, CountDown, CoolingDown, PowerAbnormality, TemperatureAbnormality, LampFailure };
// CR1: one digit, 1 to 5 (4 the wired network, 5 wireless or the viewer).
struct InputSource {
    int number = 0;
    bool operator==(const InputSource&) const = default;
};
// CR4: two digits, left/right then top/bottom, 1 as mounted.
enum class Mirroring { Normal, TopBottom, LeftRight, Both };
// CR3: five digits.
struct LampHours {
    long hours = 0;
};
// CR6: three five-character fields separated by blanks ("+25.5 +31.0
// -04.2"), the three sensors in degrees Celsius. A field that is not a
// number ("-----") is a sensor that gives no reading.
struct Temperature {
    double celsius = 0;
    int decimals = 0; // as the projector wrote it
    bool operator==(const Temperature&) const = default;
};
using Temperatures = std::array<std::optional<Temperature>, 3>;
// CR LAMPSTS: "000 1I", "000 1O" or "000 1X".
enum class LampState { On, Off, Failure };
// CR7 (and CR LAMPMODE): "000 HIGH", "000 NORMAL" or "000 ECO".
enum class LampMode { High, Normal, Eco };

using Reading = std::variant<PowerState, InputSource, Mirroring, LampHours, Temperatures, LampState, LampMode>;

std::optional<PowerState> readPowerState(std::string_view reply);
std::optional<InputSource> readInput(std::string_view reply);
std::optional<Mirroring> readMirroring(std::string_view reply);
std::optional<LampHours> readLampHours(std::string_view reply);
std::optional<Temperatures> readTemperatures(std::string_view reply);
std::optional<LampState> readLampState(std::string_view reply);
std::optional<LampMode> readLampMode(std::string_view reply);

// A set command's reply: ACK (true), "?" (false), or anything else (nothing).
std::optional<bool> readAcknowledged(std::string_view reply);

// The projector's own name of a state, as the operator knows it ("Power
// ON", "Wireless/Viewer", "Lamp Mode is Eco"); "" for hours and temperatures.
std::string_view nameOf(const Reading& value);

} // namespace orva
