#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orva {

// Text from outside (a reply, a server's words, a settings value) made fit
// for a one-line message on a terminal or in a window: printable ASCII as
// it is, "\\" for a backslash, "\r", "\n", "\t", and "\xHH" for every other
// byte, so nothing in it can act on the terminal.
std::string escapedText(std::string_view bytes);

// The same, cut to at most `limit` bytes of the original: a longer text ends
// in "..." and the count of bytes left out ("... (131072 bytes in all)").
std::string readableText(std::string_view bytes, std::size_t limit = 80);

} // namespace orva
