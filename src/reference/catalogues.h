#pragma once

#include <span>
#include <string_view>

namespace orva {

// The three command lists of the "Command List" window: constant data, one
// entry a line of display text. Each entry begins with the command text; the
// text before the first "[" is what gets sent. Entries are in display order
// and an entry's 0-based position is its index.

// Coded commands ("C" and two hex digits, "CR" and a digit): 59 entries,
// shown in Combo1.
std::span<const std::string_view> basicCatalogue();

// Word commands that set or trigger ("CF ..."): 314 entries, Combo2. Each "%"
// in a command text stands for one digit the operator types in.
std::span<const std::string_view> expandedSetCatalogue();

// Word commands that read ("CR ..."): 96 entries, Combo3; the last eight are
// seven empty entries and a single blank.
std::span<const std::string_view> expandedReadCatalogue();

} // namespace orva
