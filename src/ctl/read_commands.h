#pragma once

#include <span>
#include <string>
#include <string_view>

namespace orva {

// The read buttons of the panel as orva-ctl commands: "status" sends what
// the "Status" button sends, and its reply is decoded by the same rule.
struct ReadCommand {
    std::string_view name;    // "status"
    std::string_view button;  // the panel button whose command it sends, "Command44"
    std::string_view field;   // the decoded field in --json output, "status"
    std::string_view what;    // what it reads, in a message: "power status"
    std::string_view prints;  // what it prints, for --help
};

std::span<const ReadCommand> readCommands();
const ReadCommand* findReadCommand(std::string_view name);

// The command frame: the button's command and one CR.
std::string readFrame(const ReadCommand& read);

} // namespace orva
