#pragma once

#include "line/clock.h"
#include "line/serial_port.h"
#include "line/timer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orva {

// How one transaction on the line ended.
struct LineOutcome {
    enum class Kind {
        Replied,  // something came back
        NoReply,  // nothing within the time-out
        NotSent,  // the frame could not be written
        PortLost, // the port went away before the reply was complete
    };
    Kind kind = Kind::NoReply;
    bool complete = false;     // a CR ended the reply (else the time-out did)
    std::string reply;         // the bytes received after the write, as they came
    std::string reason;        // why: NotSent, PortLost, and NoReply on a line that takes no data
    std::size_t discarded = 0; // bytes that waited before the write, dropped
};

// One transaction for a program without a window: the frame is written
// once, and what arrives after it until the first CR (the end of every
// reply) is the reply; otherwise the time-out ends it. Whatever the port
// held from before (a device server's greeting at connect, the tail of an
// earlier answer) is read and dropped just before the write.
//
// The owner makes it the port's listener, or hands it the port's events.
// One object may run any number of transactions, one after the other; it
// then also sees a line that takes no data: while bytes of its last frame
// still wait kLineStallMs after that frame, nothing more is queued behind
// them.
class LineTransaction : public SerialListener {
public:
    using Done = std::function<void(const LineOutcome&)>;

    // `replyTimer` becomes the reply time-out, of `timeoutMs`.
    LineTransaction(SerialPort& port, Timer& replyTimer, const Clock& clock, int timeoutMs);
    ~LineTransaction() override;
    LineTransaction(const LineTransaction&) = delete;
    LineTransaction& operator=(const LineTransaction&) = delete;

    // Writes `frame` (it ends in CR). `done` runs once, when the outcome is
    // known; a frame that cannot go out ends it before start returns.
    void start(std::string_view frame, Done done);
    bool running() const { return running_; }
    const LineOutcome& outcome() const { return outcome_; }

    // The port's events. Characters with no transaction running are read
    // and dropped.
    void onComm(int event) override;
    void onPortLost(const std::string& why) override;
    void onOpenFinished(bool) override {}

private:
    void timedOut();
    void finish(LineOutcome::Kind kind, std::string reason = {});

    SerialPort& port_;
    Timer& replyTimer_;
    const Clock& clock_;
    bool running_ = false;
    bool wrote_ = false;
    std::int64_t lastWriteMs_ = 0;
    LineOutcome outcome_;
    Done done_;
};

} // namespace orva
