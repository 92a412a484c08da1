#pragma once

#include "line/transaction.h"
#include "line/clock.h"
#include "line/reopen.h"
#include "line/serial_port.h"
#include "line/timer.h"
#include "pjlink/caller.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace orva::pjlink {

// How one transaction on the projector's line ended; one that finds the
// line down ends NotSent.
using LineReply = LineOutcome;

// The line of one projector, shared by every client of it: transactions go
// out one at a time, in the order they were submitted, each a
// LineTransaction on the one port, so a reply always belongs to the frame it
// follows.
//
// The queue opens the line at start() and keeps it: a line that is lost is
// brought back by Reopen; until then every transaction ends in Error at once.
// While no transaction runs the queue listens to the port itself, so a loss
// is seen at any time and stray characters are dropped before the next send.
//
// Completions never run inside submit(): they come from the queue's own
// turn timer or from the port's events.
//
// A transaction whose caller has gone when its turn comes is dropped before
// its frame is written (its completion never runs). The queue holds at most
// kMaxWaiting transactions of clients, kMaxWaitingPerSource of one source:
// admits() says whether a client's next command may join.
class LineQueue : private SerialListener {
public:
    using Done = std::function<void(const LineReply&)>;
    // Sees every transaction that ended, before its submitter does.
    using Observer = std::function<void(const std::string& frame, const LineReply&)>;

    enum class LineEvent {
        Opened,     // the first open succeeded
        OpenFailed, // the first open failed (the reopen keeps trying); text: why
        Lost,       // an open line went away; text: why
        Reopened,   // the reopen brought it back
    };
    using EventHandler = std::function<void(LineEvent, const std::string& text)>;

    static constexpr int kDefaultReplyTimeoutMs = 1000;
    static constexpr std::size_t kMaxWaiting = 64;
    static constexpr std::size_t kMaxWaitingPerSource = 16;

    // `turnMs`: how long after a submit or a finished transaction the queue
    // takes its next turn (0: at the next pass of the event loop; a virtual
    // clock needs at least 1). `clock` times the line.
    LineQueue(SerialPort& port, TimerSource& timers, int replyTimeoutMs = kDefaultReplyTimeoutMs, int turnMs = 0,
              const Clock& clock = steadyClock());
    ~LineQueue() override;
    LineQueue(const LineQueue&) = delete;
    LineQueue& operator=(const LineQueue&) = delete;

    // Opens the line (the port's target and settings are set already).
    void start();

    // Queues one transaction: `frame` is written as it is (it ends in CR).
    void submit(std::string frame, Done done, Caller caller = {});
    // Whether a new command of a client from `source` may queue.
    bool admits(const std::string& source) const;

    void setObserver(Observer observer) { observer_ = std::move(observer); }
    void setEventHandler(EventHandler handler) { events_ = std::move(handler); }

    bool lineUp() const { return up_; }
    bool busy() const { return transaction_.running(); }
    std::size_t waiting() const { return pending_.size(); }
    // Transactions dropped because their caller had gone.
    std::uint64_t dropped() const { return dropped_; }

private:
    struct Job {
        std::string frame;
        Done done;
        Caller caller;
    };

    void onComm(int event) override;
    void onPortLost(const std::string& why) override;
    void onOpenFinished(bool opened) override;

    void kick();
    void next();
    void finished(const LineOutcome& outcome);
    void complete(Job job, const LineReply& reply);
    void lineLost(const std::string& why);

    SerialPort& port_;
    std::unique_ptr<Timer> replyTimer_;
    std::unique_ptr<Timer> reopenTimer_;
    std::unique_ptr<Timer> kickTimer_;
    Reopen reopen_;
    LineTransaction transaction_;
    std::deque<Job> pending_;
    Job current_;
    std::uint64_t dropped_ = 0;
    bool up_ = false;
    bool starting_ = false;
    Observer observer_;
    EventHandler events_;
};

} // namespace orva::pjlink
