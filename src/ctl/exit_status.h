#pragma once

namespace orva {

// What orva-ctl tells the script that ran it.
enum class ExitStatus : int {
    Answered = 0,        // answered (and, for a read, understood); listings and map done
    Failed = 1,          // anything else (the settings file could not be written)
    NothingFound = 1,    // commands --grep found no entry, as grep says it
    PortUnavailable = 2, // the port cannot be opened (absent, refused, held) or went away
    NoReply = 3,         // nothing came back within the time-out
    Undecodable = 4,     // a reply came that does not decode
    Usage = 64,          // the command line is wrong
};

constexpr int exitCode(ExitStatus s)
{
    return static_cast<int>(s);
}

} // namespace orva
