#include "pjlink/mapping.h"

#include "pjlink/protocol.h"

namespace orva::pjlink {
namespace {

constexpr SetMapping kSets[] = {
    {"POWR", "1", {"C00\r", ""}, false},
    {"POWR", "0", {"C01\r", ""}, false},
    {"INPT", "11", {"C05\r", ""}, true},
    {"INPT", "12", {"C06\r", ""}, true},
    {"INPT", "21", {"C07\r", ""}, true},
    {"AVMT", "11", {"C0D\r", ""}, true},
    {"AVMT", "10", {"C0E\r", ""}, true},
    {"AVMT", "21", {"C0B\r", ""}, true},
    {"AVMT", "20", {"C0C\r", ""}, true},
    {"AVMT", "31", {"C0D\r", "C0B\r"}, true},
    {"AVMT", "30", {"C0E\r", "C0C\r"}, true},
};

std::optional<LampState> lampState(const LineReply& reply)
{
    return reply.outcome == LineReply::Outcome::Reply ? readLampState(reply.reply) : std::nullopt;
}

// The PJLink answer a read's row gives its reply; ERR4 for none.
std::string answerOf(Read read, const LineReply& reply)
{
    const ProjectorRead& row = projectorRead(read);
    if (reply.outcome == LineReply::Outcome::Reply) {
        if (const auto value = row.parse(reply.reply)) {
            if (const auto answer = row.pjlink(*value))
                return std::string(*answer);
        }
    }
    return std::string(kProjectorFailure);
}

} // namespace

std::span<const SetMapping> setMappings()
{
    return kSets;
}

const SetMapping* findSet(std::string_view body, std::string_view parameter)
{
    for (const SetMapping& row : kSets) {
        if (row.body == body && row.parameter == parameter)
            return &row;
    }
    return nullptr;
}

std::optional<PowerState> powerState(const LineReply& cr0)
{
    return cr0.outcome == LineReply::Outcome::Reply ? readPowerState(cr0.reply) : std::nullopt;
}

std::optional<LampHours> lampHours(const LineReply& cr3)
{
    return cr3.outcome == LineReply::Outcome::Reply ? readLampHours(cr3.reply) : std::nullopt;
}

std::string frameOf(Read read)
{
    return std::string(projectorRead(read).frame);
}

std::string powerAnswer(const LineReply& cr0)
{
    return answerOf(Read::Power, cr0);
}

std::string inputAnswer(const LineReply& cr1)
{
    return answerOf(Read::Input, cr1);
}

std::string errorStatusAnswer(const LineReply& cr0, const LineReply& lampStatus)
{
    const auto power = powerState(cr0);
    if (!power)
        return std::string(kProjectorFailure);
    // Fan, lamp, temperature, cover, filter, other.
    std::string status = "000000";
    if (*power == PowerState::LampFailure || lampState(lampStatus) == LampState::Failure)
        status[1] = '2';
    if (*power == PowerState::TemperatureAbnormality)
        status[2] = '2';
    if (*power == PowerState::PowerAbnormality)
        status[5] = '2';
    return status;
}

std::string lampAnswer(const LineReply& cr3, const LineReply& lampStatus)
{
    const auto hours = lampHours(cr3);
    const auto lamp = lampState(lampStatus);
    if (!hours || !lamp)
        return std::string(kProjectorFailure);
    return std::to_string(hours->hours) + (*lamp == LampState::On ? " 1" : " 0");
}

std::string setAnswer(const LineReply& reply)
{
    const auto ack = reply.outcome == LineReply::Outcome::Reply ? readAcknowledged(reply.reply) : std::nullopt;
    if (!ack)
        return std::string(kProjectorFailure);
    return std::string(*ack ? kOk : kNotNow);
}

std::string avMuteAnswer(bool video, bool audio)
{
    if (video && audio)
        return "31";
    if (video)
        return "11";
    if (audio)
        return "21";
    return "30";
}

} // namespace orva::pjlink
