#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva::pjlink {

// PJLink class 1 on the wire: a command line is "%1", a four-letter body, a
// blank and a parameter ("?" asks), ended by CR; the first line of an
// authenticated connection has the 32 hex digits of its digest in front.

inline constexpr std::size_t kMaxLine = 136;       // bytes, the CR included
inline constexpr std::size_t kDigestLength = 32;   // MD5 in hex
inline constexpr std::size_t kMaxParameter = 128;

// Splits what a client sends into lines. A line longer than the limit is
// reported once, as too long, when its CR comes; the bytes beyond the limit
// are not kept.
class LineSplitter {
public:
    struct Line {
        std::string text; // without the CR (the first `limit` bytes of a long one)
        bool tooLong = false;
    };

    // The longest line in bytes, CR included.
    void setLimit(std::size_t limit) { limit_ = limit; }
    std::size_t limit() const { return limit_; }
    // Every line completed by `bytes`, in order. A LF after the CR (or
    // anywhere) is ignored, as a NUL is.
    std::vector<Line> feed(std::string_view bytes);

private:
    std::string partial_;
    bool overflow_ = false;
    std::size_t limit_ = kMaxLine;
};

struct Command {
    std::string body;      // "POWR", upper case
    std::string parameter; // "1", "?"
    bool query() const { return parameter == "?"; }
};

// One line as read.
struct ParsedLine {
    enum class Kind {
        Command,     // `command` holds it
        BadHeader,   // not "%" + class digit + four characters: nothing to answer to
        OtherClass,  // "%2..." and so on: `command.body` names it, answered ERR1
        NoSeparator, // "%1POWR" alone, or no blank after the body: ERR2
    };
    Kind kind = Kind::BadHeader;
    std::string digest; // the 32 hex digits in front, when there were
    char commandClass = '1';
    Command command;
};

// Reads one line (without its CR). Digits in front are taken as a digest
// when there are exactly 32 of them before the "%".
ParsedLine parseLine(std::string_view line);

// The answer line: "%1POWR=OK" and CR.
std::string answerLine(char commandClass, std::string_view body, std::string_view text);

// The greetings and the authentication refusal, CR included.
std::string greeting(std::optional<std::string_view> random);
inline constexpr std::string_view kAuthRefused = "PJLINK ERRA\r";

// The answers that are not values.
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kUnknownCommand = "ERR1";
inline constexpr std::string_view kBadParameter = "ERR2";
inline constexpr std::string_view kNotNow = "ERR3";
inline constexpr std::string_view kProjectorFailure = "ERR4";

} // namespace orva::pjlink
