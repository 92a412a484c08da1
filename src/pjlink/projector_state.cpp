#include "pjlink/projector_state.h"

#include <array>
#include <charconv>
#include <string_view>
#include <utility>

namespace orva::pjlink {
namespace {

template <typename T, std::size_t N>
std::optional<T> byStatus(const LineReply& reply, const std::array<std::pair<std::string_view, T>, N>& rows)
{
    if (reply.outcome != LineReply::Outcome::Reply)
        return std::nullopt;
    for (const auto& [text, value] : rows) {
        if (reply.status == text)
            return value;
    }
    return std::nullopt;
}

// The status texts of the link's decoding (link/decode.cpp), read back.
constexpr std::array<std::pair<std::string_view, PowerState>, 7> kPower{{
    {" Power ON", PowerState::On},
    {" Stand by", PowerState::Standby},
    {" Count down", PowerState::CountDown},
    {" Cooling down", PowerState::CoolingDown},
    {" Power abnormality", PowerState::PowerAbnormality},
    {" Temperature abnormality", PowerState::TemperatureAbnormality},
    {" Lamp Failure", PowerState::LampFailure},
}};

constexpr std::array<std::pair<std::string_view, LampState>, 3> kLamp{{
    {" Lamp is ON", LampState::On},
    {" Lamp is OFF", LampState::Off},
    {" Lamp is failure", LampState::Failure},
}};

constexpr std::array<std::pair<std::string_view, int>, 5> kInput{{
    {" Input 1", 1},
    {" Input 2", 2},
    {" Input 3", 3},
    {" Wired", 4},
    {" Wireless/Viewer", 5},
}};

} // namespace

std::optional<PowerState> powerState(const LineReply& reply)
{
    return byStatus(reply, kPower);
}

std::optional<LampState> lampState(const LineReply& reply)
{
    return byStatus(reply, kLamp);
}

std::optional<int> inputNumber(const LineReply& reply)
{
    return byStatus(reply, kInput);
}

std::optional<long> lampHours(const LineReply& reply)
{
    if (reply.outcome != LineReply::Outcome::Reply)
        return std::nullopt;
    const std::string& r = reply.reply;
    if (r.size() < 6 || r[5] != '\r')
        return std::nullopt;
    long hours = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        if (r[i] < '0' || r[i] > '9')
            return std::nullopt;
        hours = hours * 10 + (r[i] - '0');
    }
    return hours;
}

std::optional<Temperatures> temperatures(const LineReply& reply)
{
    if (reply.outcome != LineReply::Outcome::Reply)
        return std::nullopt;
    std::string_view rest = reply.reply;
    if (const std::size_t cr = rest.find('\r'); cr != std::string_view::npos)
        rest = rest.substr(0, cr);
    Temperatures out;
    for (std::optional<double>& value : out) {
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        std::string_view field = rest.substr(0, rest.find(' '));
        rest.remove_prefix(field.size());
        if (field.empty())
            return std::nullopt;
        if (field.front() == '+')
            field.remove_prefix(1);
        double number = 0;
        const auto [end, ec] =
            std::from_chars(field.data(), field.data() + field.size(), number, std::chars_format::fixed);
        if (ec == std::errc{} && end == field.data() + field.size())
            value = number;
    }
    if (rest.find_first_not_of(' ') != std::string_view::npos)
        return std::nullopt;
    return out;
}

std::optional<bool> acknowledged(const LineReply& reply)
{
    if (reply.outcome != LineReply::Outcome::Reply || reply.reply.empty())
        return std::nullopt;
    if (reply.reply.front() == '\x06')
        return true;
    if (reply.reply.front() == '?')
        return false;
    return std::nullopt;
}

} // namespace orva::pjlink
