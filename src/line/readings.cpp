#include "line/readings.h"

#include <charconv>
#include <string>
#include <utility>

namespace orva {
namespace {

template <typename T>
struct Row {
    std::string_view body;
    T value;
    std::string_view name;
};

constexpr Row<PowerState> kPower[] = {
    {"00", PowerState::On, "Power ON"},
    {"80", PowerState::Standby, "Stand by"},
    {"40", PowerState::CountDown, "Count down"},
    {"20", PowerState::CoolingDown, "Cooling down"},
    {"10", PowerState::PowerAbnormality, "Power abnormality"},
    {"08", PowerState::TemperatureAbnormality, "Temperature abnormality"},
    {"18", PowerState::TemperatureAbnormality, "Temperature abnormality"},
    {"28", PowerState::TemperatureAbnormality, "Temperature abnormality"},
    {"48", PowerState::TemperatureAbnormality, "Temperature abnormality"},
    {"88", PowerState::TemperatureAbnormality, "Temperature abnormality"},
    {"21", PowerState::LampFailure, "Lamp Failure"},
    {"81", PowerState::LampFailure, "Lamp Failure"},
};

constexpr Row<InputSource> kInput[] = {
    {"1", {1}, "Input 1"},
    {"2", {2}, "Input 2"},
    {"3", {3}, "Input 3"},
    {"4", {4}, "Wired"},
    {"5", {5}, "Wireless/Viewer"},
};

constexpr Row<Mirroring> kMirroring[] = {
    {"11", Mirroring::Normal, "Normally"},
    {"10", Mirroring::TopBottom, "Top/Bottom reversal"},
    {"01", Mirroring::LeftRight, "Left/Right reversal"},
    {"00", Mirroring::Both, "Top/Bottom , Left/Right reversal"},
};

constexpr Row<LampState> kLampState[] = {
    {"000 1I", LampState::On, "Lamp is ON"},
    {"000 1O", LampState::Off, "Lamp is OFF"},
    {"000 1X", LampState::Failure, "Lamp is failure"},
};

constexpr Row<LampMode> kLampMode[] = {
    {"000 HIGH", LampMode::High, "Lamp Mode is High"},
    {"000 NORMAL", LampMode::Normal, "Lamp Mode is NORMAL"},
    {"000 ECO", LampMode::Eco, "Lamp Mode is Eco"},
};

// The reply without its CR, when it is one line ended by exactly one CR.
std::optional<std::string_view> bodyOf(std::string_view reply)
{
    if (reply.empty() || reply.find('\r') != reply.size() - 1)
        return std::nullopt;
    return reply.substr(0, reply.size() - 1);
}

template <typename T, std::size_t N>
std::optional<T> byBody(std::string_view reply, const Row<T> (&rows)[N])
{
    const auto body = bodyOf(reply);
    if (!body)
        return std::nullopt;
    for (const Row<T>& row : rows) {
        if (row.body == *body)
            return row.value;
    }
    return std::nullopt;
}

template <typename T, std::size_t N>
std::string_view nameIn(T value, const Row<T> (&rows)[N])
{
    for (const Row<T>& row : rows) {
        if (row.value == value)
            return row.name;
    }
    return {};
}

bool digits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// A signed decimal number such as "+25.5", "-03.0" or "007".
std::optional<Temperature> temperatureIn(std::string_view field)
{
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1); // from_chars takes a minus only
    std::string_view magnitude = field;
    if (!magnitude.empty() && magnitude.front() == '-')
        magnitude.remove_prefix(1);
    const std::size_t dot = magnitude.find('.');
    const std::string_view whole = magnitude.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : magnitude.substr(dot + 1);
    if (!digits(whole) || (dot != std::string_view::npos && !digits(fraction)))
        return std::nullopt;
    Temperature t;
    const std::string text(field);
    std::from_chars(text.data(), text.data() + text.size(), t.celsius, std::chars_format::fixed);
    t.celsius += 0.0; // "-00.0" is no colder than "+00.0"
    t.decimals = static_cast<int>(fraction.size());
    return t;
}

} // namespace

std::optional<PowerState> readPowerState(std::string_view reply)
{
    return byBody(reply, kPower);
}

std::optional<InputSource> readInput(std::string_view reply)
{
    return byBody(reply, kInput);
}

std::optional<Mirroring> readMirroring(std::string_view reply)
{
    return byBody(reply, kMirroring);
}

std::optional<LampState> readLampState(std::string_view reply)
{
    return byBody(reply, kLampState);
}

std::optional<LampMode> readLampMode(std::string_view reply)
{
    return byBody(reply, kLampMode);
}

std::optional<LampHours> readLampHours(std::string_view reply)
{
    const auto body = bodyOf(reply);
    if (!body || body->size() != 5 || !digits(*body))
        return std::nullopt;
    LampHours h;
    std::from_chars(body->data(), body->data() + body->size(), h.hours);
    return h;
}

std::optional<Temperatures> readTemperatures(std::string_view reply)
{
    const auto body = bodyOf(reply);
    if (!body || body->size() != 17 || (*body)[5] != ' ' || (*body)[11] != ' ')
        return std::nullopt;
    Temperatures out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::string_view field = body->substr(i * 6, 5);
        if (field.find(' ') != std::string_view::npos)
            return std::nullopt; // not three fields of five
        out[i] = temperatureIn(field);
    }
    return out;
}

std::optional<bool> readAcknowledged(std::string_view reply)
{
    if (reply.empty())
        return std::nullopt;
    if (reply.front() == '\x06')
        return true;
    if (reply.front() == '?')
        return false;
    return std::nullopt;
}

std::string_view nameOf(const Reading& value)
{
    if (const auto* power = std::get_if<PowerState>(&value))
        return nameIn(*power, kPower);
    if (const auto* input = std::get_if<InputSource>(&value))
        return nameIn(*input, kInput);
    if (const auto* mirroring = std::get_if<Mirroring>(&value))
        return nameIn(*mirroring, kMirroring);
    if (const auto* lamp = std::get_if<LampState>(&value))
        return nameIn(*lamp, kLampState);
    if (const auto* mode = std::get_if<LampMode>(&value))
        return nameIn(*mode, kLampMode);
    return {};
}

} // namespace orva
