#pragma once

#include "projector_sim/projector_model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace orva::sim {

// What the simulator is asked to do, from its command line.
struct Options {
    std::string link;      // a symlink to the device, removed at exit
    std::string log;       // every received command, stamped
    std::string speedFile; // the line speed a client set
    std::string stateFile; // the condition, while the file exists
    std::string faultName; // as given to --fault
    bool quiet = false;
    ModelSettings model;
    // Faults, all off by default.
    std::int64_t delayMs = 0;
    std::size_t split = 0;
    std::int64_t gapMs = 0;
    bool noReply = false;
    std::int64_t lateMs = 0;
    std::size_t garbage = 0;
    std::uint32_t seed = 1;
    std::int64_t hangupAfter = 0;
    std::int64_t streamBps = 0;
};

// --help: the usage text is to be printed and the program ends well.
struct HelpWanted {};
// A command line that cannot be followed, and why.
struct UsageError {
    std::string message;
};

using ParsedOptions = std::variant<Options, HelpWanted, UsageError>;

// The text of a state file: one setting a line, as the options without their
// dashes ("fault=lamp", "lamp-off", "sensors-unreadable"); blank lines and
// lines starting with '#' are skipped. Nothing when a line is not one of them.
std::optional<Condition> parseCondition(std::string_view text);

ParsedOptions parseOptions(int argc, const char* const* argv);

// The text of --help.
extern const char kUsage[];

} // namespace orva::sim
