#include "pjlink/protocol.h"

#include <cctype>

namespace orva::pjlink {
namespace {

bool isHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::vector<LineSplitter::Line> LineSplitter::feed(std::string_view bytes)
{
    std::vector<Line> lines;
    const std::size_t room = limit_ > 0 ? limit_ - 1 : 0; // the CR takes the last byte
    for (const char c : bytes) {
        if (c == '\n' || c == '\0')
            continue;
        if (c == '\r') {
            lines.push_back(Line{std::move(partial_), overflow_});
            partial_.clear();
            overflow_ = false;
            continue;
        }
        if (partial_.size() < room)
            partial_ += c;
        else
            overflow_ = true;
    }
    return lines;
}

ParsedLine parseLine(std::string_view line)
{
    ParsedLine parsed;
    if (line.size() > kDigestLength && line[kDigestLength] == '%') {
        bool digest = true;
        for (std::size_t i = 0; i < kDigestLength && digest; ++i)
            digest = isHex(line[i]);
        if (digest) {
            parsed.digest = std::string(line.substr(0, kDigestLength));
            line.remove_prefix(kDigestLength);
        }
    }
    if (line.size() < 6 || line[0] != '%' || !std::isdigit(static_cast<unsigned char>(line[1])))
        return parsed; // BadHeader
    parsed.commandClass = line[1];
    for (std::size_t i = 2; i < 6; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (!std::isalnum(c))
            return parsed;
        parsed.command.body += static_cast<char>(std::toupper(c));
    }
    if (parsed.commandClass != '1') {
        parsed.kind = ParsedLine::Kind::OtherClass;
        return parsed;
    }
    if (line.size() < 7 || line[6] != ' ') {
        parsed.kind = ParsedLine::Kind::NoSeparator;
        return parsed;
    }
    parsed.command.parameter = std::string(line.substr(7));
    parsed.kind = parsed.command.parameter.size() > kMaxParameter ? ParsedLine::Kind::NoSeparator
                                                                  : ParsedLine::Kind::Command;
    return parsed;
}

std::string answerLine(char commandClass, std::string_view body, std::string_view text)
{
    std::string line = "%";
    line += commandClass;
    line += body;
    line += '=';
    line += text;
    line += '\r';
    return line;
}

std::string greeting(std::optional<std::string_view> random)
{
    if (!random)
        return "PJLINK 0\r";
    return "PJLINK 1 " + std::string(*random) + "\r";
}

} // namespace orva::pjlink
