#include "line/readable_text.h"

namespace orva {

std::string escapedText(std::string_view bytes)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c >= 0x20 && c < 0x7F)
            out += ch;
        else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string readableText(std::string_view bytes, std::size_t limit)
{
    if (bytes.size() <= limit)
        return escapedText(bytes);
    return escapedText(bytes.substr(0, limit)) + "... (" + std::to_string(bytes.size()) + " bytes in all)";
}

} // namespace orva
