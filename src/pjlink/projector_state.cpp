#include "pjlink/projector_state.h"

#include <charconv>

namespace orva::pjlink {
namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<PowerState> readPowerState(std::string_view reply)
{
    const std::string_view r = trimmed(reply);
    if (r == "00")
        return PowerState::On;
    if (r == "80")
        return PowerState::Standby;
    if (r == "40")
        return PowerState::CountDown;
    if (r == "20")
        return PowerState::CoolingDown;
    if (r == "10")
        return PowerState::PowerAbnormality;
    if (r == "21" || r == "81")
        return PowerState::LampFailure;
    if (r.size() == 2 && r[1] == '8')
        return PowerState::TemperatureAbnormality;
    return std::nullopt;
}

std::optional<long> readLampHours(std::string_view reply)
{
    const std::string_view r = trimmed(reply);
    long hours = 0;
    const auto [end, ec] = std::from_chars(r.data(), r.data() + r.size(), hours);
    if (r.empty() || ec != std::errc{} || end != r.data() + r.size() || hours < 0)
        return std::nullopt;
    return hours;
}

std::optional<LampState> readLampState(std::string_view reply)
{
    const std::string_view r = trimmed(reply);
    if (r == "000 1I")
        return LampState::On;
    if (r == "000 1O")
        return LampState::Off;
    if (r == "000 1X")
        return LampState::Failure;
    return std::nullopt;
}

std::optional<std::array<std::optional<double>, 3>> readTemperatures(std::string_view reply)
{
    std::array<std::optional<double>, 3> out;
    std::string_view rest = trimmed(reply);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        std::string_view field = rest.substr(0, end);
        rest = trimmed(rest.substr(end));
        if (field.empty())
            return std::nullopt;
        if (field.front() == '+')
            field.remove_prefix(1);
        double value = 0;
        const auto [stop, ec] = std::from_chars(field.data(), field.data() + field.size(), value,
                                                std::chars_format::fixed);
        if (ec == std::errc{} && stop == field.data() + field.size())
            out[i] = value;
    }
    if (!rest.empty())
        return std::nullopt;
    return out;
}

} // namespace orva::pjlink
