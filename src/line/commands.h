#pragma once

#include "line/readings.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orva {

// The projector's reads as the programs without a window use them: one row
// each, with its frame, its parser and, where a PJLink query is answered
// from that read alone, the answer each value gives.
enum class Read { Power, Input, Mirroring, LampHours, Temperatures, LampState, LampMode };

struct ProjectorRead {
    Read read;
    std::string_view frame; // as written, with its CR
    std::optional<Reading> (*parse)(std::string_view reply);
    std::string_view pjlinkQuery; // "POWR ?", or "" when no query is its alone
    // The PJLink answer of a value of this read; nothing when the value is
    // an error of the projector (ERR4) or the read has no query.
    std::optional<std::string_view> (*pjlink)(const Reading& value);
};

std::span<const ProjectorRead> projectorReads();
const ProjectorRead& projectorRead(Read read);
std::string frameOf(Read read);

} // namespace orva
