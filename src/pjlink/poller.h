#pragma once

#include "line/commands.h"
#include "line/readings.h"
#include "line/clock.h"
#include "line/timer.h"
#include "pjlink/line_queue.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orva::pjlink {

// What one poll of a projector found. `up` when every read got a reply; the
// values are those that read (a reply the projector gives in a form we do
// not know leaves its value empty). A poll that is not up carries no values.
// The three sensors, in the order of the reply, in degrees Celsius.
using SensorCelsius = std::array<std::optional<double>, 3>;

struct PollSample {
    bool up = false;
    std::optional<PowerState> power;
    std::optional<long> lampHours;
    SensorCelsius temperatures;
    std::optional<LampState> lamp;
    std::int64_t finishedUnixMs = 0; // wall clock, when the last read ended
    std::int64_t durationMs = 0;     // from the first read's queueing to the last reply
};

// Polls one projector with the four reads the metrics need ("CR0", "CR3",
// "CR6", "CR LAMPSTS"), every `intervalSeconds`, the first at `start`. Each
// read is one transaction queued on the projector's line behind whatever
// else waits there, the next only once the previous is done, so the
// PJLink clients' commands take their turns between them. A poll still
// running when the timer ticks again is left to finish: that tick is
// skipped, never a second poll started. The first read without a reply (no
// answer in time, the line down) ends the poll as not up. So does a poll
// that has not ended `kGiveUpIntervals` intervals after it began (its read
// waits behind a line that others keep busy): it is published as not up at
// once, and the next poll starts at the first tick after its read is done,
// so a stuck line holds one read of the poller at most.
class Poller {
public:
    // One transaction queued on the line (LineQueue::submit).
    using Transact = std::function<void(std::string frame, LineQueue::Done done)>;
    using Publish = std::function<void(const PollSample&)>;

    Poller(std::unique_ptr<Timer> timer, const Clock& clock, std::function<std::int64_t()> unixMs,
           int intervalSeconds, Transact transact, Publish publish);
    ~Poller();
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;

    void start();
    // No further polls; the reply of a read under way is ignored.
    void stop();
    bool polling() const { return step_ != kIdle; }

    static constexpr int kGiveUpIntervals = 3;

    // The reads of a poll, in order.
    static constexpr std::array<Read, 4> kReads{Read::Power, Read::LampHours, Read::Temperatures,
                                                Read::LampState};

private:
    static constexpr std::size_t kIdle = kReads.size();
    void poll();
    void send();
    void replied(const LineReply& reply);
    void finish(bool up);
    void giveUp();

    std::unique_ptr<Timer> timer_;
    const Clock& clock_;
    std::function<std::int64_t()> unixMs_;
    Transact transact_;
    Publish publish_;
    std::size_t step_ = kIdle;
    bool givenUp_ = false; // published as not up; its read under way is still awaited
    std::int64_t intervalMs_ = 0;
    std::int64_t startedMs_ = 0;
    PollSample sample_;
    // Replies of reads sent before a stop, or after the poller went, are
    // told apart by the generation they were sent in.
    std::shared_ptr<std::uint64_t> generation_;
};

} // namespace orva::pjlink
