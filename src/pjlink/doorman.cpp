#include "pjlink/doorman.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace orva::pjlink {
namespace {

std::string seconds(int ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", ms / 1000.0);
    return text;
}

} // namespace

std::string sourceKey(const std::uint8_t* bytes, std::size_t length)
{
    char text[64];
    if (length == 4) {
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
        return text;
    }
    if (length != 16)
        return "?";
    std::string key;
    for (int group = 0; group < 4; ++group) {
        std::snprintf(text, sizeof text, "%x:", (bytes[2 * group] << 8) | bytes[2 * group + 1]);
        key += text;
    }
    return key + ":/64";
}

Doorman::Doorman(const Clock& clock, TimerSource& timers, Log log, DoormanLimits limits)
    : clock_(clock), summaryTimer_(timers.makeTimer("summary")), log_(std::move(log)), limits_(limits)
{
    summaryTimer_->setInterval(limits_.summaryMs);
    summaryTimer_->setHandler([this] { summarise(); });
}

Doorman::~Doorman()
{
    summaryTimer_->setEnabled(false);
}

void Doorman::addProjector(const std::string& section)
{
    ++projectors_[section];
}

void Doorman::removeProjector(const std::string& section)
{
    auto it = projectors_.find(section);
    if (it != projectors_.end() && --it->second <= 0)
        projectors_.erase(it);
}

int Doorman::shareOf(const std::string& section) const
{
    if (!projectors_.count(section))
        return 0;
    return limits_.total / (2 * static_cast<int>(projectors_.size()));
}

int Doorman::openOf(const std::string& section) const
{
    return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                          [&](const auto& c) { return c.second.section == section; }));
}

int Doorman::openFrom(const std::string& source) const
{
    return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                          [&](const auto& c) { return c.second.source == source; }));
}

int Doorman::poolInUse() const
{
    std::map<std::string, int> open;
    for (const auto& [id, c] : connections_)
        ++open[c.section];
    int inPool = 0;
    for (const auto& [section, n] : open)
        inPool += std::max(0, n - shareOf(section));
    return inPool;
}

std::uint64_t Doorman::admit(const std::string& section, const std::string& source, const std::string& peer,
                             GiveWay giveWay)
{
    if (openFrom(source) >= limits_.perSource) {
        note("refused", source,
             section + ": connection from " + peer + " refused: " + std::to_string(limits_.perSource)
                 + " connections are open from " + source,
             "connections refused");
        return 0;
    }
    const int pool = limits_.total - shareOf(section) * static_cast<int>(projectors_.size());
    if (openOf(section) >= shareOf(section) && poolInUse() >= pool) {
        // Full: the oldest connection still unauthenticated gives way, if
        // its slot is one this projector may use (its own, or the common
        // part another projector holds beyond its share).
        auto victim = connections_.end();
        for (auto it = connections_.begin(); it != connections_.end(); ++it) {
            const Connection& c = it->second;
            if (!c.authenticated && (c.section == section || openOf(c.section) > shareOf(c.section))) {
                victim = it;
                break;
            }
        }
        if (victim == connections_.end()) {
            note("refused", source,
                 section + ": connection from " + peer + " refused: all " + std::to_string(open())
                     + " connections it may use are open and authenticated",
                 "connections refused");
            return 0;
        }
        GiveWay close = std::move(victim->second.giveWay);
        const std::string from = victim->second.source;
        connections_.erase(victim);
        note("gave way", from,
             section + ": the oldest unauthenticated connection (from " + from + ") gave way to " + peer,
             "unauthenticated connections gave way");
        if (close)
            close();
    }
    const std::uint64_t id = nextId_++;
    connections_[id] = Connection{section, source, false, std::move(giveWay)};
    return id;
}

void Doorman::authenticated(std::uint64_t id)
{
    if (auto it = connections_.find(id); it != connections_.end())
        it->second.authenticated = true;
}

void Doorman::release(std::uint64_t id)
{
    connections_.erase(id);
}

int Doorman::delayFor(int failures) const
{
    std::int64_t ms = limits_.firstDelayMs;
    for (int i = 1; i < failures && ms < limits_.maxDelayMs; ++i)
        ms *= 2;
    return static_cast<int>(std::min<std::int64_t>(ms, limits_.maxDelayMs));
}

Doorman::Penalty* Doorman::penaltyOf(const std::string& source)
{
    auto it = penalties_.find(source);
    if (it == penalties_.end())
        return nullptr;
    if (clock_.nowMs() - it->second.lastFailure >= limits_.quietMs) {
        penalties_.erase(it); // quiet long enough: forgiven
        return nullptr;
    }
    return &it->second;
}

int Doorman::greetingDelay(const std::string& source)
{
    Penalty* p = penaltyOf(source);
    if (!p)
        return 0;
    const std::int64_t now = clock_.nowMs();
    const std::int64_t at = std::max(now, p->nextGreeting);
    p->nextGreeting = at + delayFor(p->failures);
    return static_cast<int>(at - now);
}

int Doorman::authenticationFailed(const std::string& section, const std::string& source, const std::string& peer)
{
    const std::int64_t now = clock_.nowMs();
    Penalty* p = penaltyOf(source);
    if (!p) {
        if (penalties_.size() >= limits_.maxSources) {
            // Forget the source that failed longest ago.
            auto oldest = std::min_element(penalties_.begin(), penalties_.end(), [](const auto& a, const auto& b) {
                return a.second.lastFailure < b.second.lastFailure;
            });
            penalties_.erase(oldest);
        }
        p = &penalties_[source];
    }
    ++p->failures;
    p->lastFailure = now;
    const int delay = delayFor(p->failures);
    p->nextGreeting = std::max(p->nextGreeting, now + delay);
    note("failed", source,
         section + ": authentication failed for " + peer + " (attempts from " + source + " now wait "
             + seconds(delay) + ")",
         "authentication failures");
    return delay;
}

void Doorman::note(const std::string& kind, const std::string& source, const std::string& line,
                   const std::string& what)
{
    const std::int64_t now = clock_.nowMs();
    std::string key = kind + " " + source;
    if (!summaries_.count(key) && summaries_.size() >= limits_.maxSources)
        key = kind + " other sources"; // a flood of sources still gives one line a minute
    auto [it, fresh] = summaries_.try_emplace(key);
    Summary& s = it->second;
    s.what = what;
    if (fresh || (s.pending == 0 && now - s.lastLogged >= limits_.summaryMs)) {
        s.lastLogged = now;
        log_(line + (key.ends_with(" other sources") ? " (and from other sources)" : ""));
    } else {
        ++s.pending;
    }
    if (!summaryTimer_->isEnabled())
        summaryTimer_->setEnabled(true);
}

void Doorman::summarise()
{
    const std::int64_t now = clock_.nowMs();
    for (auto it = summaries_.begin(); it != summaries_.end();) {
        Summary& s = it->second;
        if (s.pending > 0 && now - s.lastLogged >= limits_.summaryMs) {
            const std::string source = it->first.substr(it->first.find(' ') + 1);
            std::string line = source + ": " + std::to_string(s.pending) + " more " + s.what + " in the last "
                + seconds(static_cast<int>(now - s.lastLogged));
            if (const Penalty* p = penaltyOf(source); p && s.what == "authentication failures")
                line += " (attempts from it wait " + seconds(delayFor(p->failures)) + ")";
            log_(line);
            s.pending = 0;
            s.lastLogged = now;
        }
        if (s.pending == 0 && now - s.lastLogged >= limits_.summaryMs)
            it = summaries_.erase(it);
        else
            ++it;
    }
    if (summaries_.empty())
        summaryTimer_->setEnabled(false);
}

namespace {

std::uint64_t mix(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

} // namespace

GreetingNumbers::GreetingNumbers(const std::array<std::uint64_t, 4>& key)
    : key_(key), counter_(static_cast<std::uint32_t>(mix(key[0] ^ key[3])))
{
}

std::uint32_t GreetingNumbers::next()
{
    // A Feistel network over the two 16-bit halves: a permutation of the
    // 32-bit numbers whatever the round function, so distinct counters give
    // distinct numbers.
    std::uint32_t left = counter_ >> 16;
    std::uint32_t right = counter_ & 0xffffu;
    ++counter_;
    for (std::uint64_t round = 0; round < 8; ++round) {
        const std::uint64_t k = key_[round % 4] + (round << 56);
        const std::uint32_t f = static_cast<std::uint32_t>(mix(k ^ right) >> 17) & 0xffffu;
        const std::uint32_t mixed = left ^ f;
        left = right;
        right = mixed;
    }
    return (left << 16) | right;
}

std::string GreetingNumbers::nextHex()
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", next());
    return text;
}

} // namespace orva::pjlink
