#pragma once

#include "line/clock.h"
#include "line/timer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace orva::pjlink {

// The source a connection is counted against: an IPv4 address as it is, an
// IPv6 address by its /64 (one host holds a whole /64 as easily as one
// address). `bytes` holds 4 bytes for IPv4 (IPv4-mapped IPv6 given as IPv4),
// 16 for IPv6.
std::string sourceKey(const std::uint8_t* bytes, std::size_t length);

// What the bridge lets a network it does not trust do with its connections.
struct DoormanLimits {
    int total = 256;      // connections all projectors together serve at once
    int perSource = 32;   // of them from one source
    int firstDelayMs = 1000;   // after a source's first wrong digest
    int maxDelayMs = 30'000;   // the doubling stops here
    int quietMs = 10 * 60'000; // a source without a failure for this long starts afresh
    int summaryMs = 60'000;    // a repeated log line comes at most this often per source
    std::size_t maxSources = 4096; // sources remembered for penalties and summaries
};

// Who may connect, and who must wait: the connection budget and how it is
// shared, the delays after wrong digests, and the log lines about refusals
// and failures, summarised per source.
//
// The budget: each projector has a share of its own (half the total, split
// evenly) that no other projector's clients can take; the rest is common.
// A source holds at most `perSource` of all. When a new connection finds no
// room, the oldest connection that has not yet authenticated and whose slot
// the newcomer could use gives way.
//
// Guessing: every wrong digest from a source doubles its delay (from
// `firstDelayMs` up to `maxDelayMs`). The delay comes before PJLINK ERRA,
// and the source's greetings are spaced by it, so one source gets one
// answer to a guess per delay however many connections it opens.
class Doorman {
public:
    using Log = std::function<void(const std::string& line)>;
    using GiveWay = std::function<void()>;

    Doorman(const Clock& clock, TimerSource& timers, Log log, DoormanLimits limits = {});
    ~Doorman();
    Doorman(const Doorman&) = delete;
    Doorman& operator=(const Doorman&) = delete;

    void addProjector(const std::string& section);
    void removeProjector(const std::string& section);

    // Takes a connection of `section` from `source` (`peer`: the address
    // with its port, for the log): its id, or 0 when it is refused (the
    // refusal is logged, summarised). `giveWay` closes the connection when
    // a newcomer needs its slot; it must not call back into the doorman.
    std::uint64_t admit(const std::string& section, const std::string& source, const std::string& peer,
                        GiveWay giveWay);
    // The connection's first valid command came: it no longer gives way.
    void authenticated(std::uint64_t id);
    // The connection is gone (an id given way or 0 is ignored).
    void release(std::uint64_t id);

    // How long the source's next greeting waits, in ms; the wait is
    // booked, so the source's greetings after it wait longer.
    int greetingDelay(const std::string& source);
    // A wrong digest (or none) from `peer`: how long before PJLINK ERRA, in ms.
    int authenticationFailed(const std::string& section, const std::string& source, const std::string& peer);

    int open() const { return static_cast<int>(connections_.size()); }
    int openFrom(const std::string& source) const;
    int shareOf(const std::string& section) const;
    const DoormanLimits& limits() const { return limits_; }

private:
    struct Connection {
        std::string section;
        std::string source;
        bool authenticated = false;
        GiveWay giveWay;
    };
    struct Penalty {
        int failures = 0;
        std::int64_t lastFailure = 0;
        std::int64_t nextGreeting = 0;
    };
    struct Summary {
        std::int64_t lastLogged = 0;
        long pending = 0;
        std::string what; // "connections refused"
    };

    int delayFor(int failures) const;
    int openOf(const std::string& section) const;
    int poolInUse() const;
    Penalty* penaltyOf(const std::string& source);
    // Logs `line` now, or counts it into the source's next summary.
    void note(const std::string& kind, const std::string& source, const std::string& line, const std::string& what);
    void summarise();

    const Clock& clock_;
    std::unique_ptr<Timer> summaryTimer_;
    Log log_;
    DoormanLimits limits_;
    std::map<std::string, int> projectors_; // section -> projectors of that name (1)
    std::map<std::uint64_t, Connection> connections_; // by id: oldest first
    std::uint64_t nextId_ = 1;
    std::map<std::string, Penalty> penalties_;
    std::map<std::string, Summary> summaries_; // kind + source
};

// The random numbers of the greetings: a keyed permutation of a counter, so
// no number comes twice before 2^32 greetings, and none can be told from
// the ones before it without the key. `key` comes from the system's
// random source.
class GreetingNumbers {
public:
    explicit GreetingNumbers(const std::array<std::uint64_t, 4>& key);
    std::uint32_t next();
    // 8 lower-case hex digits.
    std::string nextHex();

private:
    std::array<std::uint64_t, 4> key_;
    std::uint32_t counter_;
};

} // namespace orva::pjlink
