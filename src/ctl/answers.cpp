#include "ctl/answers.h"

#include "line/commands.h"
#include "line/readable_text.h"
#include "link/render.h"

#include <cstdio>

namespace orva {
namespace {

std::string withoutCr(std::string_view frame)
{
    if (!frame.empty() && frame.back() == '\r')
        frame.remove_suffix(1);
    return std::string(frame);
}

JsonValue::Object head(const ResolvedPort* port, std::string_view command)
{
    JsonValue::Object o;
    o.emplace_back("port", port ? JsonValue(port->name()) : JsonValue());
    o.emplace_back("device", port ? JsonValue(port->target.text()) : JsonValue());
    o.emplace_back("baud", port ? JsonValue(port->baudRate()) : JsonValue());
    o.emplace_back("command", JsonValue(command));
    return o;
}

// The outcomes that are not a reply, alike for every command. True when
// the answer is complete.
bool failedExchange(Answer& a, const ResolvedPort& port, const LineOutcome& result, int timeoutMs)
{
    switch (result.kind) {
    case LineOutcome::Kind::NotSent:
        a.status = ExitStatus::PortUnavailable;
        a.err = "could not send to " + port.label() + ": " + result.reason;
        break;
    case LineOutcome::Kind::PortLost:
        a.status = ExitStatus::PortUnavailable;
        a.err = port.label() + " went away before the reply was complete: " + result.reason;
        break;
    case LineOutcome::Kind::NoReply:
        a.status = ExitStatus::NoReply;
        a.err = "no reply from " + port.label() + " within " + std::to_string(timeoutMs) + " ms";
        break;
    case LineOutcome::Kind::Replied:
        a.json.emplace_back("reply", latin1ToUtf8(result.reply));
        return false;
    }
    a.json.emplace_back("reply", JsonValue());
    a.json.emplace_back("error", a.err);
    return true;
}

// The received line as the monitor shows it (" X X X X" for none).
std::string monitorLine(const LineOutcome& result)
{
    if (result.kind == LineOutcome::Kind::NoReply)
        return " X X X X";
    return result.reply.empty() ? std::string() : renderMonitorLine(result.reply).line;
}

// What a read prints of its value ("Power ON", "123", "25.5 31.0 -4.0"),
// or nothing when a temperature sensor gave no reading.
std::optional<std::string> printed(const Reading& value)
{
    if (const auto* hours = std::get_if<LampHours>(&value))
        return std::to_string(hours->hours);
    const auto* sensors = std::get_if<Temperatures>(&value);
    if (!sensors)
        return std::string(nameOf(value));
    std::string out;
    for (const auto& t : *sensors) {
        if (!t)
            return std::nullopt;
        char text[64];
        std::snprintf(text, sizeof text, "%s%.*f", out.empty() ? "" : " ", t->decimals, t->celsius);
        out += text;
    }
    return out;
}

JsonValue jsonOf(const Reading& value)
{
    if (const auto* hours = std::get_if<LampHours>(&value))
        return JsonValue(hours->hours);
    if (const auto* sensors = std::get_if<Temperatures>(&value)) {
        JsonValue::Array out;
        for (const auto& t : *sensors)
            out.emplace_back(t->celsius);
        return out;
    }
    return JsonValue(*printed(value));
}

} // namespace

std::string latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

Answer portAnswer(const ResolvedPort* port, std::string_view command, std::string problem)
{
    Answer a;
    a.status = ExitStatus::PortUnavailable;
    a.err = std::move(problem);
    a.json = head(port, command);
    a.json.emplace_back("reply", JsonValue());
    a.json.emplace_back("error", a.err);
    return a;
}

Answer readAnswer(const ReadCommand& read, const ResolvedPort& port, const LineOutcome& result, int timeoutMs)
{
    Answer a;
    a.json = head(&port, withoutCr(readFrame(read)));
    const std::string field(read.field);
    if (failedExchange(a, port, result, timeoutMs)) {
        a.json.emplace_back(field, JsonValue());
        return a;
    }
    const auto value = projectorRead(read.read).parse(result.reply);
    const auto words = value ? printed(*value) : std::nullopt;
    if (!words) {
        a.status = ExitStatus::Undecodable;
        a.err = "the reply \"" + readableText(result.reply) + "\" from " + port.label() +
                " does not decode as the " + std::string(read.what);
        a.json.emplace_back(field, JsonValue());
        a.json.emplace_back("error", a.err);
        return a;
    }
    a.out = *words;
    a.json.emplace_back(field, jsonOf(*value));
    return a;
}

Answer sendAnswer(std::string_view text, bool monitor, const ResolvedPort& port, const LineOutcome& result,
                  int timeoutMs)
{
    Answer a;
    a.json = head(&port, text);
    const bool failed = failedExchange(a, port, result, timeoutMs);
    const std::string shown = monitorLine(result);
    a.json.emplace_back("monitor", shown.empty() ? JsonValue() : JsonValue(shown));
    if (failed) {
        if (monitor && result.kind == LineOutcome::Kind::NoReply)
            a.out = shown; // " X X X X", as the window shows it
        return a;
    }
    a.out = monitor ? shown : escapedText(result.reply);
    return a;
}

} // namespace orva
