#pragma once

#include <string>
#include <string_view>

namespace orva {

// The line monitor's readable form of a text: one leading space, then one
// token per character (" [ACK] ", " [CR] ", " [LF]  ", "_ " for a space,
// "? " for anything unprintable, otherwise the character and a space).
struct RenderedLine {
    std::string line;
    bool usedCr = false;    // the CR legend is to be shown
    bool usedSpace = false; // the space legend is to be shown
};

RenderedLine renderMonitorLine(std::string_view text);

// Appends the tokens of `text` to an existing rendering (which must start
// with the leading space), so a growing buffer is rendered piece by piece.
void appendMonitorTokens(RenderedLine& out, std::string_view text);

} // namespace orva
