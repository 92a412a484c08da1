#include "link/render.h"

namespace orva {

void appendMonitorTokens(RenderedLine& out, std::string_view text)
{
    out.line.reserve(out.line.size() + 2 * text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0x06) {
            out.line += " [ACK] ";
        } else if (c == 0x0D) {
            out.line += " [CR] ";
            out.usedCr = true;
        } else if (c == 0x0A) {
            out.line += " [LF]  ";
        } else if (c == 0x20) {
            out.line += "_ ";
            out.usedSpace = true;
        } else if (c >= 0x21 && c <= 0x7A) {
            out.line += ch;
            out.line += ' ';
        } else {
            out.line += "? ";
        }
    }
}

RenderedLine renderMonitorLine(std::string_view text)
{
    RenderedLine out{std::string(1, ' '), false, false};
    appendMonitorTokens(out, text);
    return out;
}

} // namespace orva
