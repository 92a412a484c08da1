#include "pjlink/line_queue.h"

#include <utility>

namespace orva::pjlink {

LineQueue::LineQueue(SerialPort& port, TimerSource& timers, int replyTimeoutMs, int turnMs, const Clock& clock)
    : port_(port),
      replyTimer_(timers.makeTimer("reply")),
      reopenTimer_(timers.makeTimer("reopen")),
      kickTimer_(timers.makeTimer("queue")),
      reopen_(port_, *reopenTimer_),
      transaction_(port_, *replyTimer_, clock, replyTimeoutMs)
{
    kickTimer_->setInterval(turnMs);
    kickTimer_->setHandler([this] { next(); });
    port_.setListener(this);
}

LineQueue::~LineQueue()
{
    kickTimer_->setEnabled(false);
    port_.setListener(nullptr);
}

void LineQueue::start()
{
    starting_ = true;
    port_.beginOpen(); // the outcome may come back before this returns
}

void LineQueue::submit(std::string frame, Done done, Caller caller)
{
    pending_.push_back(Job{std::move(frame), std::move(done), std::move(caller)});
    kick();
}

bool LineQueue::admits(const std::string& source) const
{
    if (pending_.size() >= kMaxWaiting)
        return false;
    if (source.empty())
        return true;
    std::size_t mine = 0;
    for (const Job& job : pending_)
        mine += job.caller.source == source;
    return mine < kMaxWaitingPerSource;
}

void LineQueue::kick()
{
    if (!busy() && !pending_.empty() && !kickTimer_->isEnabled())
        kickTimer_->setEnabled(true);
}

void LineQueue::next()
{
    kickTimer_->setEnabled(false);
    if (up_ && !port_.isOpen())
        lineLost("the line closed");
    while (!busy() && !pending_.empty() && pending_.front().caller.gone()) {
        pending_.pop_front(); // nobody to answer: its frame is not sent
        ++dropped_;
    }
    if (busy() || pending_.empty())
        return;
    Job job = std::move(pending_.front());
    pending_.pop_front();
    if (!up_ || !port_.isOpen()) {
        complete(std::move(job), LineReply{LineReply::Kind::NotSent, false, {}, "the line is down", 0});
        kick();
        return;
    }
    current_ = std::move(job);
    transaction_.start(current_.frame, [this](const LineOutcome& outcome) { finished(outcome); });
}

void LineQueue::finished(const LineOutcome& outcome)
{
    const bool lost = outcome.kind == LineOutcome::Kind::PortLost
        || (outcome.kind == LineOutcome::Kind::NotSent && !port_.isOpen());
    Job job = std::exchange(current_, Job{});
    if (lost && up_)
        lineLost(outcome.reason);
    complete(std::move(job), outcome);
    kickTimer_->setEnabled(true);
}

void LineQueue::complete(Job job, const LineReply& reply)
{
    if (observer_)
        observer_(job.frame, reply);
    if (job.done)
        job.done(reply);
}

void LineQueue::lineLost(const std::string& why)
{
    up_ = false;
    port_.close();
    if (events_)
        events_(LineEvent::Lost, why);
    reopen_.portLost();
}

void LineQueue::onComm(int event)
{
    transaction_.onComm(event); // with none running, nobody asked: dropped
}

void LineQueue::onPortLost(const std::string& why)
{
    if (transaction_.running())
        transaction_.onPortLost(why); // ends it, and with it the line
    else if (up_)
        lineLost(why);
}

void LineQueue::onOpenFinished(bool opened)
{
    if (starting_) {
        starting_ = false;
        up_ = opened;
        if (events_)
            events_(opened ? LineEvent::Opened : LineEvent::OpenFailed, opened ? std::string() : port_.reasonText());
        if (!opened)
            reopen_.portLost(); // a projector switched off at the mains comes back by itself
        return;
    }
    if (reopen_.openFinished(opened)) {
        up_ = true;
        if (events_)
            events_(LineEvent::Reopened, {});
    }
}

} // namespace orva::pjlink
