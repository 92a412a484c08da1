#include "link/decode.h"

#include <array>
#include <utility>

namespace orva {
namespace {

using Row = std::pair<std::string_view, std::string_view>; // pattern, status text

// The first `n` characters of the line, or fewer when it is shorter.
std::string_view head(std::string_view line, std::size_t n)
{
    return line.substr(0, n);
}

// The `n` characters from 1-based position `p` (fewer when the line ends).
std::string_view from(std::string_view line, std::size_t p, std::size_t n)
{
    if (p - 1 >= line.size())
        return {};
    return line.substr(p - 1, n);
}

template <std::size_t N>
std::optional<std::string> byPrefix(std::string_view line, std::size_t width,
                                    const std::array<Row, N>& rows)
{
    const std::string_view h = head(line, width);
    for (const auto& [pattern, text] : rows) {
        if (h == pattern)
            return std::string(text);
    }
    return std::nullopt;
}

constexpr std::array<Row, 11> kPowerStatus{{
    {" 0 0", " Power ON"},
    {" 8 0", " Stand by"},
    {" 4 0", " Count down"},
    {" 2 0", " Cooling down"},
    {" 1 0", " Power abnormality"},
    {" 0 8", " Temperature abnormality"},
    {" 1 8", " Temperature abnormality"},
    {" 2 8", " Temperature abnormality"},
    {" 4 8", " Temperature abnormality"},
    {" 8 8", " Temperature abnormality"},
    {" 2 1", " Lamp Failure"},
}};

constexpr std::array<Row, 5> kInput{{
    {" 1", " Input 1"},
    {" 2", " Input 2"},
    {" 3", " Input 3"},
    {" 4", " Wired"},
    {" 5", " Wireless/Viewer"},
}};

constexpr std::array<Row, 4> kMirroring{{
    {" 1 1", " Normally"},
    {" 1 0", " Top/Bottom reversal"},
    {" 0 1", " Left/Right reversal"},
    {" 0 0", " Top/Bottom , Left/Right reversal"},
}};

constexpr std::array<Row, 3> kLampStatus{{
    {" 0 0 0 _ 1 I", " Lamp is ON"},
    {" 0 0 0 _ 1 O", " Lamp is OFF"},
    {" 0 0 0 _ 1 X", " Lamp is failure"},
}};

// Replies "000 HIGH", "000 NORMAL", "000 ECO" as the monitor renders them,
// without the trailing " [CR] " token and the space before it.
constexpr std::array<Row, 3> kLampMode{{
    {" 0 0 0 _ H I G H", kLampModeHigh},
    {" 0 0 0 _ N O R M A L", kLampModeNormal},
    {" 0 0 0 _ E C O", kLampModeEco},
}};

std::optional<std::string> powerStatus(std::string_view line)
{
    if (auto text = byPrefix(line, 4, kPowerStatus))
        return text;
    if (head(line, 4) == " 8 1")
        return std::string(" Lamp Failure");
    return std::nullopt;
}

// Five digits and CR: the digits with leading zeros shown as blanks.
std::optional<std::string> lampTime(std::string_view line, std::size_t bufferLength,
                                    std::string_view status)
{
    if (bufferLength != 6)
        return std::nullopt;
    std::string out(status);
    const std::size_t n = line.size() >= 5 ? line.size() - 5 : 0;
    bool started = false;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = line[i];
        if (!started && (c == ' ' || c == '0')) {
            out += ' ';
        } else {
            out += c;
            started = true;
        }
    }
    out += " Hour Use";
    return out;
}

// Three five-character fields and CR, each followed by its unit.
std::optional<std::string> temperatures(std::string_view line, std::size_t bufferLength)
{
    if (bufferLength != 18)
        return std::nullopt;
    std::string out;
    out += head(line, 10);
    out += " deg C ";
    out += from(line, 14, 9);
    out += " deg C ";
    out += from(line, 26, 9);
    out += " deg C ";
    return out;
}

std::optional<std::string> lampMode(std::string_view line)
{
    if (line.size() < 7)
        return std::nullopt;
    const std::string_view body = line.substr(0, line.size() - 7);
    for (const auto& [pattern, text] : kLampMode) {
        if (body == pattern)
            return std::string(text);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> decodeReply(std::string_view receivedLine, std::size_t bufferLength,
                                       std::string_view panelCommand, std::string_view status)
{
    if (panelCommand == "CR0\r")
        return powerStatus(receivedLine);
    if (panelCommand == "CR1\r")
        return byPrefix(receivedLine, 2, kInput);
    if (panelCommand == "CR4\r")
        return byPrefix(receivedLine, 4, kMirroring);
    if (panelCommand == "CR3\r")
        return lampTime(receivedLine, bufferLength, status);
    if (panelCommand == "CR6\r")
        return temperatures(receivedLine, bufferLength);
    if (panelCommand == "CR LAMPSTS\r")
        return byPrefix(receivedLine, 12, kLampStatus);
    if (panelCommand == "CR7\r" || panelCommand == "CR LAMPMODE\r")
        return lampMode(receivedLine);
    return std::nullopt;
}

} // namespace orva
