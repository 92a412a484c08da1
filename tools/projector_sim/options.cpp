#include "projector_sim/options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string_view>

namespace orva::sim {

const char kUsage[] = R"(usage: orva-projector-sim [options]

Opens a pseudo-terminal, prints the path of its device (one line on stdout)
and answers the commands written to it like a projector: commands end in CR,
LF is ignored; set commands get ACK CR, reads their value and CR, anything
else "?" CR. Starts in stand-by. Runs until SIGTERM or SIGINT.

  --link PATH        also make a symlink PATH to the device (removed at exit)
  --log FILE         append every received command to FILE, one a line:
                     "<monotonic microseconds> <command>" (CLOCK_MONOTONIC;
                     bytes outside printable ASCII written as \xNN)
  --quiet            no traffic or notes on stderr
  --speed-file FILE  keep FILE holding the line speed a client set on the
                     device (one line, in baud, e.g. "9600"); looked at when
                     a client opens the device and before each command
  --count-down MS    time from stand-by to on (default 2000)
  --cool-down MS     time from cooling down to stand-by (default 3000)
  --lamp-hours N     lamp time at start (default 123)

Conditions a real projector reports, all off by default:
  --fault NAME       lamp: the lamp has failed (CR0 "81", or "21" while
                     cooling down; CR LAMPSTS "000 1X"; it will not power
                     on); temperature: CR0 carries the temperature flag
                     ("08", "88", ...); power: CR0 "10"; none
  --lamp-off         the lamp is off while the power is on (CR LAMPSTS
                     "000 1O"; the lamp time stands still)
  --sensors-unreadable  CR6 answers "----- ----- -----"
  --state-file FILE  while FILE exists, it sets the condition in place of
                     the three options above: one a line, without the
                     dashes ("fault=temperature", "lamp-off"); looked at
                     before each command, so a test can change it

Faults, all off by default:
  --delay MS         wait MS before each reply
  --split N          send each reply in pieces of N bytes ...
  --gap MS           ... MS apart (default 0)
  --no-reply         never answer
  --late MS          answer only MS after the command (beyond the time-out);
                     adds to --delay
  --garbage N        put N random unprintable bytes (control codes other
                     than ACK, LF and CR, and 0x7F-0xFF) before each reply
  --seed N           seed of those bytes (default 1; same seed, same bytes)
  --hangup-after N   on receiving the N-th command (an empty line counts),
                     close the line without answering it and exit
  --stream BPS       send unsolicited printable text, BPS bytes a second in
                     pieces every 10 ms, while a client has the line open
  --help             this text

A client may open, close and reopen the device as often as it likes; replies
still due when it closes are dropped, and so is anything it left unread.
)";

namespace {

constexpr std::int64_t kMaxMs = 86'400'000;
constexpr std::int64_t kAny = std::numeric_limits<std::int64_t>::max();

// One option: a switch, a text or a whole number from min to max, and where
// it goes.
struct Option {
    std::string_view name;
    enum class Kind { Switch, Text, Number } kind;
    std::int64_t min = 0;
    std::int64_t max = 0;
    void (*apply)(Options&, std::string_view text, std::int64_t number) = nullptr;
};

using K = Option::Kind;
constexpr Option kOptions[] = {
    {"--link", K::Text, 0, 0, [](Options& o, std::string_view t, std::int64_t) { o.link = t; }},
    {"--log", K::Text, 0, 0, [](Options& o, std::string_view t, std::int64_t) { o.log = t; }},
    {"--speed-file", K::Text, 0, 0, [](Options& o, std::string_view t, std::int64_t) { o.speedFile = t; }},
    {"--state-file", K::Text, 0, 0, [](Options& o, std::string_view t, std::int64_t) { o.stateFile = t; }},
    {"--fault", K::Text, 0, 0,
     [](Options& o, std::string_view t, std::int64_t) { o.faultName = t; }},
    {"--lamp-off", K::Switch, 0, 0,
     [](Options& o, std::string_view, std::int64_t) { o.model.condition.lampOff = true; }},
    {"--sensors-unreadable", K::Switch, 0, 0,
     [](Options& o, std::string_view, std::int64_t) { o.model.condition.sensorsUnreadable = true; }},
    {"--quiet", K::Switch, 0, 0, [](Options& o, std::string_view, std::int64_t) { o.quiet = true; }},
    {"--count-down", K::Number, 0, kMaxMs,
     [](Options& o, std::string_view, std::int64_t n) { o.model.countDownMs = n; }},
    {"--cool-down", K::Number, 0, kMaxMs,
     [](Options& o, std::string_view, std::int64_t n) { o.model.coolDownMs = n; }},
    {"--lamp-hours", K::Number, 0, 99'999,
     [](Options& o, std::string_view, std::int64_t n) { o.model.lampHours = n; }},
    {"--delay", K::Number, 0, kMaxMs, [](Options& o, std::string_view, std::int64_t n) { o.delayMs = n; }},
    {"--split", K::Number, 1, 1'000'000,
     [](Options& o, std::string_view, std::int64_t n) { o.split = static_cast<std::size_t>(n); }},
    {"--gap", K::Number, 0, kMaxMs, [](Options& o, std::string_view, std::int64_t n) { o.gapMs = n; }},
    {"--no-reply", K::Switch, 0, 0, [](Options& o, std::string_view, std::int64_t) { o.noReply = true; }},
    {"--late", K::Number, 0, kMaxMs, [](Options& o, std::string_view, std::int64_t n) { o.lateMs = n; }},
    {"--garbage", K::Number, 0, 65'536,
     [](Options& o, std::string_view, std::int64_t n) { o.garbage = static_cast<std::size_t>(n); }},
    {"--seed", K::Number, 0, 0xFFFF'FFFF,
     [](Options& o, std::string_view, std::int64_t n) { o.seed = static_cast<std::uint32_t>(n); }},
    {"--hangup-after", K::Number, 1, kAny,
     [](Options& o, std::string_view, std::int64_t n) { o.hangupAfter = n; }},
    {"--stream", K::Number, 1, 100'000'000,
     [](Options& o, std::string_view, std::int64_t n) { o.streamBps = n; }},
};

// A whole decimal number from min to max.
std::optional<std::int64_t> number(std::string_view text, std::int64_t min, std::int64_t max)
{
    std::int64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

} // namespace

ParsedOptions parseOptions(int argc, const char* const* argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::optional<std::string_view> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const std::string name(arg);
        if (arg == "--help" || arg == "-h")
            return HelpWanted{};

        const Option* option = nullptr;
        for (const Option& known : kOptions)
            if (known.name == arg)
                option = &known;
        if (!option)
            return UsageError{"unknown option \"" + name + "\""};

        if (option->kind == K::Switch) {
            if (inlineValue)
                return UsageError{name + " takes no value"};
            option->apply(o, {}, 0);
            continue;
        }
        std::string_view value;
        if (inlineValue)
            value = *inlineValue;
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return UsageError{name + " wants a value"};

        std::int64_t n = 0;
        if (option->kind == K::Number) {
            const auto read = number(value, option->min, option->max);
            if (!read)
                return UsageError{name + " wants a number from " + std::to_string(option->min) + " to " +
                                  std::to_string(option->max) + ", not \"" + std::string(value) + "\""};
            n = *read;
        }
        option->apply(o, value, n);
    }
    if (o.gapMs > 0 && o.split == 0)
        return UsageError{"--gap goes with --split"};
    if (!o.faultName.empty()) {
        const auto fault = faultNamed(o.faultName);
        if (!fault)
            return UsageError{"--fault wants lamp, temperature, power or none, not \"" + o.faultName + "\""};
        o.model.condition.fault = *fault;
    }
    return o;
}

std::optional<Condition> parseCondition(std::string_view text)
{
    Condition c;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line == "lamp-off")
            c.lampOff = true;
        else if (line == "sensors-unreadable")
            c.sensorsUnreadable = true;
        else if (line.starts_with("fault=")) {
            const auto fault = faultNamed(line.substr(6));
            if (!fault)
                return std::nullopt;
            c.fault = *fault;
        } else
            return std::nullopt;
    }
    return c;
}

} // namespace orva::sim
