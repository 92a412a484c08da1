#pragma once

#include "line/commands.h"

#include <span>
#include <string>
#include <string_view>

namespace orva {

// The projector's reads as orva-ctl commands: "status" sends CR0 and prints
// the power state it reads.
struct ReadCommand {
    std::string_view name;    // "status"
    Read read;                // the read it sends
    std::string_view field;   // the decoded field in --json output, "status"
    std::string_view what;    // what it reads, in a message: "power status"
    std::string_view prints;  // what it prints, for --help
};

std::span<const ReadCommand> readCommands();
const ReadCommand* findReadCommand(std::string_view name);

// The command frame: the read's command and one CR.
std::string readFrame(const ReadCommand& read);

} // namespace orva
