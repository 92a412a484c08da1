#include "ctl/ctl_arguments.h"

#include "ports/device_names.h"
#include "line/serial_port.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace orva {

std::string comRange()
{
    return "COM" + std::to_string(kFirstPort) + " to COM" + std::to_string(kLastPort);
}

namespace {

const std::string& portDescription()
{
    static const std::string text =
        "The port: " + comRange() + " (through the settings' map), a device such as " +
        std::string(exampleDevice()) + ", or a "
        "network address tcp://HOST:PORT or rfc2217://HOST:PORT. Default: the port orva-control stored.";
    return text;
}

const std::array<OptionSpec, 4> kCommon{{
    {"port", "COMn|DEVICE|ADDRESS", portDescription()},
    {"baud", "9600|19200", "The baud rate. Default: the one orva-control stored (19200 when none)."},
    {"timeout", "MS", "How long to wait for a reply, in milliseconds (default 1000, the panel's)."},
    {"json", "", "Print one JSON object instead of text."},
}};

const std::string& removeDescription()
{
    static const std::string text = "Remove the mapping: COMn is " + std::string(comPortDeviceForm()) + " again.";
    return text;
}

const std::array<OptionSpec, 3> kCommandOnly{{
    {"monitor", "", "Print the reply as the window's line monitor shows it."},
    {"remove", "", removeDescription()},
    {"grep", "WORD", "Only the entries that hold WORD (in any case)."},
}};

constexpr std::string_view kSendOptions[] = {"monitor"};
constexpr std::string_view kMapOptions[] = {"remove"};
constexpr std::string_view kCommandsOptions[] = {"grep"};

std::vector<CommandSpec> buildCommands()
{
    std::vector<CommandSpec> c;
    c.push_back({"ports", Verb::Ports, "",
                 "list the serial devices present and the COM" + std::to_string(kFirstPort) + "-COM" +
                     std::to_string(kLastPort) + " map",
                 "List the serial devices present (path, stable /dev/serial/by-id/ name, description, "
                 "manufacturer, serial number) and what each of " + comRange() +
                     " maps to in the settings, and whether it exists.",
                 {}});
    c.push_back({"map", Verb::Map, "COMn TARGET | COMn --remove",
                 "map COMn to a device or a network address, or remove the mapping",
                 "Write [Ports] COMn in the settings file orva-control reads, keeping every other line "
                 "of it. TARGET is a device path (" + std::string(exampleDevices()) + ") or a network "
                 "address (tcp://HOST:PORT, rfc2217://HOST:PORT). With --remove, COMn is " +
                     std::string(comPortDeviceForm()) + " again. Nothing else ever writes to the settings.",
                 kMapOptions});
    c.push_back({"send", Verb::Send, "TEXT...", "send TEXT and a CR, print the reply",
                 "Send TEXT followed by one CR (several words are joined by one blank), wait for the "
                 "reply and print it with control characters escaped (\\r, \\x06, \\\\ for a "
                 "backslash), or with --monitor as the line monitor shows it (00 and CR as \" 0 0  [CR] \"). "
                 "The wait ends at the first CR received, or at the time-out. A TEXT that "
                 "still holds a \"%\" placeholder of the catalogues is refused: put the digits in.",
                 kSendOptions});
    for (const ReadCommand& r : readCommands()) {
        const std::string frame = readFrame(r);
        CommandSpec spec{r.name, Verb::Read, "", "read the " + std::string(r.what),
                         "Read the " + std::string(r.what) + " (the panel's read command " +
                             frame.substr(0, frame.size() - 1) + ") and print " + std::string(r.prints) + ".",
                         {}, &r};
        c.push_back(std::move(spec));
    }
    c.push_back({"commands", Verb::Commands, "[basic|set|read]",
                 "list the command catalogues, as they are",
                 "Print the entries of the command catalogues as they are, one a line, the command "
                 "and what the catalogue says of it in two columns: basic (coded commands), set (word "
                 "commands that set or trigger) and read (word commands that read); blank entries are "
                 "left out. A \"%\" in a command stands for one digit. With --grep, the status is 1 when "
                 "no entry holds WORD.",
                 kCommandsOptions});
    c.push_back({"help", Verb::Help, "[COMMAND]", "show the help of a command",
                 "Show the help of a command, or the overview.", {}});
    return c;
}

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string quoted(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
}

UsageError usage(std::string message, const CommandSpec* command)
{
    return UsageError{std::move(message), command};
}

std::optional<UsageError> checkSendText(const std::string& text, const CommandSpec* cmd)
{
    if (text.empty())
        return usage("send needs a non-empty TEXT", cmd);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F) {
            static constexpr char hex[] = "0123456789abcdef";
            const std::string code = std::string("\\x") + hex[c >> 4] + hex[c & 15];
            return usage("TEXT holds the character " + code + " at position " + std::to_string(i + 1) +
                             ": a command is one line of printable ASCII (the CR is added)",
                         cmd);
        }
    }
    if (text.find("[CR]") != std::string::npos)
        return usage("TEXT holds \"[CR]\": leave it out, the CR is added", cmd);
    if (const auto p = findPlaceholder(text)) {
        return usage(quoted(text) + " still holds the placeholder " + quoted(text.substr(p->position, p->length)) +
                         " at position " + std::to_string(p->position + 1) +
                         " (each \"%\" stands for one digit, 0-9): put the digits in its place",
                     cmd);
    }
    return std::nullopt;
}

std::string targetHint(std::string_view text)
{
    std::string hint = quoted(text) +
                       " is neither a device path (such as " + std::string(exampleDevice()) +
                       ") nor a network address (tcp://HOST:PORT, rfc2217://HOST:PORT)";
    if (const std::optional<std::string> meant = likelyDevice(text))
        hint += "; did you mean " + *meant + "?";
    return hint;
}

} // namespace

std::span<const OptionSpec> commonOptions()
{
    return kCommon;
}

std::span<const OptionSpec> commandOptions()
{
    return kCommandOnly;
}

const OptionSpec* findOption(std::string_view name)
{
    for (const OptionSpec& o : kCommon) {
        if (o.name == name)
            return &o;
    }
    for (const OptionSpec& o : kCommandOnly) {
        if (o.name == name)
            return &o;
    }
    return nullptr;
}

std::span<const CommandSpec> ctlCommands()
{
    static const std::vector<CommandSpec> commands = buildCommands();
    return commands;
}

const CommandSpec* findCommand(std::string_view name)
{
    for (const CommandSpec& c : ctlCommands()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

std::string overviewText()
{
    std::string out = "Reads and commands a QLN40/QLN45/QLN50 projector from the shell, through the same "
                      "port settings as orva-control.\n\nCommands:\n";
    for (const CommandSpec& c : ctlCommands()) {
        std::string name(c.name);
        name.resize(std::max<std::size_t>(name.size() + 2, 14), ' ');
        out += "  " + name + std::string(c.summary) + "\n";
    }
    out += "\nEach command has its own --help. Without --port, the port and baud rate that orva-control "
           "stored are used.\n"
           "\nExit status:\n"
           "  0   answered (and, for a read, understood); a listing or map done\n"
           "  1   the settings file could not be written; commands --grep found nothing\n"
           "  2   the port cannot be opened (absent, refused, or held by another program, which is\n"
           "      named) or it went away during the exchange\n"
           "  3   no reply within the time-out\n"
           "  4   a reply that does not decode\n"
           "  64  the command line is wrong\n";
    return out;
}

std::optional<long> comNumber(std::string_view text)
{
    if (text.size() < 4 || text.size() > 12)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i])
            return std::nullopt;
    }
    const std::string_view digits = text.substr(3);
    if (!allDigits(digits))
        return std::nullopt;
    long n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return n;
}

std::optional<Placeholder> findPlaceholder(std::string_view text)
{
    const std::size_t at = text.find('%');
    if (at == std::string_view::npos)
        return std::nullopt;
    std::size_t end = at;
    while (end < text.size() && text[end] == '%')
        ++end;
    return Placeholder{at, end - at};
}

std::variant<Request, UsageError> interpretCommandLine(const CommandLineWords& words, const ExistingPath& existing)
{
    // A port or target that is no address but a relative path to something
    // there: that, by its absolute path.
    auto existingDevice = [&existing](const std::string& text) -> std::optional<std::string> {
        if (!existing || text.empty() || text.front() == '/' || text.find("://") != std::string::npos)
            return std::nullopt;
        return existing(text);
    };
    if (words.arguments.empty())
        return usage("a command is needed", nullptr);
    Request r;
    r.command = findCommand(words.arguments.front());
    if (!r.command)
        return usage("unknown command " + quoted(words.arguments.front()), nullptr);
    const CommandSpec* cmd = r.command;
    const std::vector<std::string> args(words.arguments.begin() + 1, words.arguments.end());

    for (const auto& given : words.options) {
        const std::string& name = given.first;
        const bool common = std::any_of(kCommon.begin(), kCommon.end(),
                                        [&name](const OptionSpec& o) { return o.name == name; });
        const bool own = std::find(cmd->options.begin(), cmd->options.end(), name) != cmd->options.end();
        if (!common && !own) {
            std::string owner;
            for (const CommandSpec& c : ctlCommands()) {
                if (std::find(c.options.begin(), c.options.end(), name) != c.options.end())
                    owner = std::string(c.name);
            }
            return usage("--" + name + (owner.empty() ? " is not an option of " + std::string(cmd->name)
                                                      : " is an option of " + owner + " only"),
                         cmd);
        }
    }
    auto option = [&](std::string_view name) -> const std::string* {
        const auto it = words.options.find(std::string(name));
        return it == words.options.end() ? nullptr : &it->second;
    };

    if (const std::string* port = option("port")) {
        if (const auto n = comNumber(*port)) {
            if (*n < kFirstPort || *n > kLastPort)
                return usage("--port " + *port + ": COM ports are " + comRange(), cmd);
        } else if (!parsePortTarget(*port)) {
            const auto device = existingDevice(*port);
            if (!device || !parsePortTarget(*device))
                return usage("--port: " + targetHint(*port), cmd);
            r.port = *device;
        }
        if (!r.port)
            r.port = *port;
    }
    if (const std::string* baud = option("baud")) {
        if (*baud == "9600")
            r.baudCode = 96;
        else if (*baud == "19200")
            r.baudCode = 192;
        else
            return usage("--baud " + quoted(*baud) + ": the projector speaks 9600 or 19200", cmd);
    }
    if (const std::string* timeout = option("timeout")) {
        long ms = 0;
        if (allDigits(*timeout) && timeout->size() <= 8)
            std::from_chars(timeout->data(), timeout->data() + timeout->size(), ms);
        if (ms < 1 || ms > kMaxTimeoutMs)
            return usage("--timeout " + quoted(*timeout) + ": milliseconds from 1 to " +
                             std::to_string(kMaxTimeoutMs),
                         cmd);
        r.timeoutMs = static_cast<int>(ms);
    }
    r.json = option("json") != nullptr;
    r.monitor = option("monitor") != nullptr;
    r.remove = option("remove") != nullptr;
    if (const std::string* grep = option("grep"))
        r.grep = *grep;

    auto noMoreThan = [&](std::size_t n) -> std::optional<UsageError> {
        if (args.size() > n)
            return usage("unexpected argument " + quoted(args[n]), cmd);
        return std::nullopt;
    };

    switch (cmd->verb) {
    case Verb::Help:
        if (auto e = noMoreThan(1))
            return *e;
        if (!args.empty()) {
            r.helpFor = findCommand(args[0]);
            if (!r.helpFor)
                return usage("unknown command " + quoted(args[0]), nullptr);
        }
        break;
    case Verb::Ports:
    case Verb::Read:
        if (auto e = noMoreThan(0))
            return *e;
        break;
    case Verb::Map: {
        if (args.empty())
            return usage("map needs COMn and a TARGET, or COMn --remove", cmd);
        const auto n = comNumber(args[0]);
        if (!n)
            return usage(quoted(args[0]) + " is not a COM port: " + comRange(), cmd);
        if (*n < kFirstPort || *n > kLastPort)
            return usage(args[0] + " is out of range: " + comRange(), cmd);
        r.com = static_cast<int>(*n);
        if (r.remove) {
            if (auto e = noMoreThan(1))
                return *e;
            break;
        }
        if (args.size() < 2)
            return usage("map needs a TARGET after " + args[0] + ", or --remove", cmd);
        if (auto e = noMoreThan(2))
            return *e;
        r.target = parsePortTarget(args[1]);
        if (const auto device = r.target ? std::nullopt : existingDevice(args[1]))
            r.target = parsePortTarget(*device);
        if (!r.target)
            return usage(targetHint(args[1]), cmd);
        break;
    }
    case Verb::Send:
        for (std::size_t i = 0; i < args.size(); ++i)
            r.text += (i ? " " : "") + args[i];
        if (auto e = checkSendText(r.text, cmd))
            return *e;
        break;
    case Verb::Commands:
        if (auto e = noMoreThan(1))
            return *e;
        if (!args.empty()) {
            if (args[0] == "basic")
                r.catalogue = Catalogue::Basic;
            else if (args[0] == "set")
                r.catalogue = Catalogue::ExpandedSet;
            else if (args[0] == "read")
                r.catalogue = Catalogue::ExpandedRead;
            else
                return usage("no catalogue " + quoted(args[0]) + ": basic, set or read", cmd);
        }
        break;
    }
    return r;
}

} // namespace orva
