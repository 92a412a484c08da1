#pragma once

#include "ctl/read_commands.h"
#include "ports/port_target.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orva {

// What orva-ctl can be asked to do, and how its command line reads. The Qt
// layer splits the words (options, values, arguments) and writes the help
// from these tables; what the words mean is decided here.

enum class Verb { Help, Ports, Map, Send, Read, Commands };

struct OptionSpec {
    std::string_view name;      // long name, without the dashes
    std::string_view valueName; // "" for a switch
    std::string_view description;
};

struct CommandSpec {
    std::string_view name;
    Verb verb;
    std::string_view arguments;   // as the usage line shows them
    std::string summary;          // one line in the overview
    std::string description;      // the head of its own --help
    std::span<const std::string_view> options; // its own options, besides the common ones
    const ReadCommand* read = nullptr;
};

// --port, --baud, --timeout, --json: taken by every command.
std::span<const OptionSpec> commonOptions();
// --monitor (send), --remove (map), --grep (commands).
std::span<const OptionSpec> commandOptions();
const OptionSpec* findOption(std::string_view name);

std::span<const CommandSpec> ctlCommands();
const CommandSpec* findCommand(std::string_view name);

// The overview of --help after the usage line: the commands and the exit
// statuses.
std::string overviewText();

inline constexpr int kDefaultTimeoutMs = 1000; // the panel's reply time-out
inline constexpr int kMaxTimeoutMs = 3600000;

// The command line as the parser split it: arguments in order (the command
// first) and the options given, by long name ("" as the value of a switch;
// the last one counts when an option is given twice).
struct CommandLineWords {
    std::vector<std::string> arguments;
    std::map<std::string, std::string> options;
};

enum class Catalogue { Basic = 1, ExpandedSet = 2, ExpandedRead = 3 };

struct Request {
    const CommandSpec* command = nullptr;
    // Common options.
    std::optional<std::string> port; // --port as given: COMn, a device or an address
    std::optional<std::uint8_t> baudCode; // --baud: 96 or 192
    int timeoutMs = kDefaultTimeoutMs;
    bool json = false;
    // send
    std::string text;
    bool monitor = false;
    // map
    int com = 0;
    std::optional<PortTarget> target;
    bool remove = false;
    // commands
    std::optional<Catalogue> catalogue;
    std::string grep;
    // help: the command asked about, or nullptr for the overview
    const CommandSpec* helpFor = nullptr;
};

struct UsageError {
    std::string message;
    const CommandSpec* command = nullptr; // whose --help to point at
};

// The absolute path of a relative one that names an existing file, or
// nothing.
using ExistingPath = std::function<std::optional<std::string>(const std::string& relative)>;

// A relative path that exists (`existing` says which) is taken as the device
// it names, by its absolute path.
std::variant<Request, UsageError> interpretCommandLine(const CommandLineWords& words,
                                                       const ExistingPath& existing = {});

// "COM3", "com3" -> 3. Nothing when the text is not "COM" and digits; the
// number as written otherwise (range checks are the caller's).
std::optional<long> comNumber(std::string_view text);
// "COM1 to COM15": the COM ports there are.
std::string comRange();

// The first run of "%" placeholders in a command text, or nothing.
struct Placeholder {
    std::size_t position = 0; // 0-based
    std::size_t length = 0;
};
std::optional<Placeholder> findPlaceholder(std::string_view text);

} // namespace orva
