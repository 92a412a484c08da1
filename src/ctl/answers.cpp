#include "ctl/answers.h"

#include "line/readable_text.h"

#include <charconv>

namespace orva {
namespace {

std::string withoutCr(std::string_view frame)
{
    if (!frame.empty() && frame.back() == '\r')
        frame.remove_suffix(1);
    return std::string(frame);
}

std::string withoutBlanks(std::string_view s)
{
    std::string out;
    for (char c : s) {
        if (c != ' ')
            out += c;
    }
    return out;
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
bool failedExchange(Answer& a, const ResolvedPort& port, const Exchange::Result& result, int timeoutMs)
{
    switch (result.outcome) {
    case Exchange::Outcome::NotSent:
        a.status = ExitStatus::PortUnavailable;
        a.err = "could not send to " + port.label() + ": " + result.error;
        break;
    case Exchange::Outcome::PortLost:
        a.status = ExitStatus::PortUnavailable;
        a.err = port.label() + " went away before the reply was complete: " + result.error;
        break;
    case Exchange::Outcome::NoReply:
    case Exchange::Outcome::Pending:
        a.status = ExitStatus::NoReply;
        a.err = "no reply from " + port.label() + " within " + std::to_string(timeoutMs) + " ms";
        break;
    case Exchange::Outcome::Replied:
        a.json.emplace_back("reply", latin1ToUtf8(result.reply));
        return false;
    }
    a.json.emplace_back("reply", JsonValue());
    a.json.emplace_back("error", a.err);
    return true;
}

// "+25.5" -> "25.5", "-03.0" -> "-3.0", "007" -> "7".
std::optional<std::string> plainNumber(std::string_view s)
{
    std::string sign;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        if (s.front() == '-')
            sign = "-";
        s.remove_prefix(1);
    }
    const std::size_t dot = s.find('.');
    std::string_view whole = s.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    auto digits = [](std::string_view d) {
        for (char c : d) {
            if (c < '0' || c > '9')
                return false;
        }
        return true;
    };
    if (whole.empty() || !digits(whole) || !digits(fraction) || (dot != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    std::string out = std::string(whole);
    if (dot != std::string_view::npos)
        out += "." + std::string(fraction);
    if (out.find_first_not_of("0.") == std::string::npos)
        sign.clear(); // no "-0.0"
    return sign + out;
}

double toDouble(const std::string& s)
{
    double d = 0;
    std::from_chars(s.data(), s.data() + s.size(), d);
    return d;
}

} // namespace

std::string escapeReply(std::string_view bytes)
{
    return escapedText(bytes);
}

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

std::optional<long> lampHoursOf(std::string_view words)
{
    constexpr std::string_view kUnit = " Hour Use";
    if (words.size() < kUnit.size() || words.substr(words.size() - kUnit.size()) != kUnit)
        return std::nullopt;
    const std::string digits = withoutBlanks(words.substr(0, words.size() - kUnit.size()));
    if (digits.empty())
        return 0L; // five zeros: every digit shown as a blank
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    long hours = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), hours);
    return hours;
}

std::optional<std::array<std::string, 3>> temperaturesOf(std::string_view words)
{
    // Three extracts of the received line, each followed by " deg C ".
    constexpr std::string_view kUnit = " deg C ";
    std::array<std::string, 3> out;
    std::size_t at = 0;
    for (std::string& field : out) {
        const std::size_t unit = words.find(kUnit, at);
        if (unit == std::string_view::npos)
            return std::nullopt;
        auto number = plainNumber(withoutBlanks(words.substr(at, unit - at)));
        if (!number)
            return std::nullopt;
        field = std::move(*number);
        at = unit + kUnit.size();
    }
    if (at != words.size())
        return std::nullopt;
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

Answer readAnswer(const ReadCommand& read, const ResolvedPort& port, const Exchange::Result& result,
                  int timeoutMs)
{
    Answer a;
    a.json = head(&port, withoutCr(readFrame(read)));
    const std::string field(read.field);
    if (failedExchange(a, port, result, timeoutMs)) {
        a.json.emplace_back(field, JsonValue());
        return a;
    }

    std::string_view words = result.status;
    if (!words.empty() && words.front() == ' ')
        words.remove_prefix(1);
    JsonValue decoded;
    if (words.empty()) {
        // nothing decoded
    } else if (read.field == "lampHours") {
        if (const auto hours = lampHoursOf(result.status)) {
            decoded = JsonValue(*hours);
            a.out = std::to_string(*hours);
        }
    } else if (read.field == "temperatures") {
        if (const auto t = temperaturesOf(result.status)) {
            decoded = JsonValue::Array{toDouble(t->at(0)), toDouble(t->at(1)), toDouble(t->at(2))};
            a.out = t->at(0) + " " + t->at(1) + " " + t->at(2);
        }
    } else {
        decoded = JsonValue(words);
        a.out = std::string(words);
    }
    a.json.emplace_back(field, decoded);
    if (decoded.isNull()) {
        a.status = ExitStatus::Undecodable;
        a.err = "the reply \"" + readableText(result.reply) + "\" from " + port.label() +
                " does not decode as the " + std::string(read.what);
        a.json.emplace_back("error", a.err);
    }
    return a;
}

Answer sendAnswer(std::string_view text, bool monitor, const ResolvedPort& port,
                  const Exchange::Result& result, int timeoutMs)
{
    Answer a;
    a.json = head(&port, text);
    const bool failed = failedExchange(a, port, result, timeoutMs);
    a.json.emplace_back("monitor", result.monitorLine.empty() ? JsonValue() : JsonValue(result.monitorLine));
    if (failed) {
        if (monitor && result.outcome == Exchange::Outcome::NoReply)
            a.out = result.monitorLine; // " X X X X", as the window shows it
        return a;
    }
    a.out = monitor ? result.monitorLine : escapeReply(result.reply);
    return a;
}

} // namespace orva
