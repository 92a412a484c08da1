#include "line/commands.h"

namespace orva {
namespace {

template <typename T, std::optional<T> (*parse)(std::string_view)>
std::optional<Reading> as(std::string_view reply)
{
    if (auto value = parse(reply))
        return Reading(*value);
    return std::nullopt;
}

std::optional<std::string_view> none(const Reading&)
{
    return std::nullopt;
}

std::optional<std::string_view> powerAnswer(const Reading& value)
{
    switch (std::get<PowerState>(value)) {
    case PowerState::On: return "1";
    case PowerState::Standby: return "0";
    case PowerState::CoolingDown: return "2";
    case PowerState::CountDown: return "3";
    case PowerState::PowerAbnormality:
    case PowerState::TemperatureAbnormality:
    case PowerState::LampFailure: break;
    }
    return std::nullopt;
}

std::optional<std::string_view> inputAnswer(const Reading& value)
{
    switch (std::get<InputSource>(value).number) {
    case 1: return "11";
    case 2: return "12";
    case 3: return "21";
    case 4: return "51"; // wired network
    case 5: return "52"; // wireless, viewer
    default: break;
    }
    return std::nullopt;
}

constexpr ProjectorRead kReads[] = {
    {Read::Power, "CR0\r", as<PowerState, readPowerState>, "POWR ?", powerAnswer},
    {Read::Input, "CR1\r", as<InputSource, readInput>, "INPT ?", inputAnswer},
    {Read::Mirroring, "CR4\r", as<Mirroring, readMirroring>, "", none},
    {Read::LampHours, "CR3\r", as<LampHours, readLampHours>, "", none},
    {Read::Temperatures, "CR6\r", as<Temperatures, readTemperatures>, "", none},
    {Read::LampState, "CR LAMPSTS\r", as<LampState, readLampState>, "", none},
    {Read::LampMode, "CR7\r", as<LampMode, readLampMode>, "", none},
};

} // namespace

std::span<const ProjectorRead> projectorReads()
{
    return kReads;
}

const ProjectorRead& projectorRead(Read read)
{
    return kReads[static_cast<std::size_t>(read)];
}

std::string frameOf(Read read)
{
    return std::string(projectorRead(read).frame);
}

} // namespace orva
