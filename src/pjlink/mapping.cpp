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

} // namespace

const SetMapping* findSet(std::string_view body, std::string_view parameter)
{
    for (const SetMapping& row : kSets) {
        if (row.body == body && row.parameter == parameter)
            return &row;
    }
    return nullptr;
}

std::string readAnswer(Read read, const LineReply& reply)
{
    const ProjectorRead& row = projectorRead(read);
    if (const auto value = row.parse(reply.reply)) {
        if (const auto answer = row.pjlink(*value))
            return std::string(*answer);
    }
    return std::string(kProjectorFailure);
}

std::string errorStatusAnswer(const LineReply& cr0, const LineReply& lampStatus)
{
    const auto power = readPowerState(cr0.reply);
    if (!power)
        return std::string(kProjectorFailure);
    // Fan, lamp, temperature, cover, filter, other.
    std::string status = "000000";
    if (*power == PowerState::LampFailure || readLampState(lampStatus.reply) == LampState::Failure)
        status[1] = '2';
    if (*power == PowerState::TemperatureAbnormality)
        status[2] = '2';
    if (*power == PowerState::PowerAbnormality)
        status[5] = '2';
    return status;
}

std::string lampAnswer(const LineReply& cr3, const LineReply& lampStatus)
{
    const auto hours = readLampHours(cr3.reply);
    const auto lamp = readLampState(lampStatus.reply);
    if (!hours || !lamp)
        return std::string(kProjectorFailure);
    return std::to_string(hours->hours) + (*lamp == LampState::On ? " 1" : " 0");
}

std::string setAnswer(const LineReply& reply)
{
    const auto ack = reply.kind == LineReply::Kind::Replied ? readAcknowledged(reply.reply) : std::nullopt;
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
