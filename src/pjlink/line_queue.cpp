#include "pjlink/line_queue.h"

#include <utility>

namespace orva::pjlink {

LineQueue::LineQueue(SerialPort& port, TimerSource& timers, int replyTimeoutMs, int turnMs)
    : port_(port),
      replyTimer_(timers.makeTimer("reply")),
      reopenTimer_(timers.makeTimer("reopen")),
      kickTimer_(timers.makeTimer("queue")),
      reopen_(port_, *reopenTimer_),
      replyTimeoutMs_(replyTimeoutMs)
{
    kickTimer_->setInterval(turnMs);
    kickTimer_->setHandler([this] { next(); });
    listen();
}

LineQueue::~LineQueue()
{
    kickTimer_->setEnabled(false);
    exchange_.reset();
    spent_.reset();
    port_.setListener(nullptr);
}

void LineQueue::listen()
{
    port_.setListener(this);
}

void LineQueue::start()
{
    starting_ = true;
    port_.beginOpen(); // the outcome may come back before this returns
}

void LineQueue::submit(std::string frame, std::string panelCommand, Done done, Caller caller)
{
    pending_.push_back(Job{std::move(frame), std::move(panelCommand), std::move(done), std::move(caller)});
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
    if (!exchange_ && !pending_.empty() && !kickTimer_->isEnabled())
        kickTimer_->setEnabled(true);
}

void LineQueue::next()
{
    kickTimer_->setEnabled(false);
    spent_.reset(); // its tap gives the port back (to no listener)
    listen();
    if (up_ && !port_.isOpen())
        lineLost("the line closed"); // went while the spent exchange still listened
    while (!exchange_ && !pending_.empty() && pending_.front().caller.gone()) {
        pending_.pop_front(); // nobody to answer: its frame is not sent
        ++dropped_;
    }
    if (exchange_ || pending_.empty())
        return;
    Job job = std::move(pending_.front());
    pending_.pop_front();
    if (!up_ || !port_.isOpen()) {
        complete(std::move(job), LineReply{LineReply::Outcome::Error, {}, {}});
        kick();
        return;
    }
    current_ = std::move(job);
    exchange_ = std::make_unique<Exchange>(port_, *replyTimer_, replyTimeoutMs_);
    exchange_->setFinishedHandler([this] { exchangeFinished(); });
    exchange_->start(current_.frame, current_.panelCommand);
}

void LineQueue::exchangeFinished()
{
    const Exchange::Result& result = exchange_->result();
    LineReply reply;
    switch (result.outcome) {
    case Exchange::Outcome::Replied:
        reply.outcome = LineReply::Outcome::Reply;
        reply.reply = result.reply;
        reply.status = result.status;
        break;
    case Exchange::Outcome::NoReply:
        reply.outcome = LineReply::Outcome::Timeout;
        break;
    case Exchange::Outcome::Pending:
    case Exchange::Outcome::NotSent:
    case Exchange::Outcome::PortLost:
        reply.outcome = LineReply::Outcome::Error;
        break;
    }
    const bool lost = result.outcome == Exchange::Outcome::PortLost
        || (result.outcome == Exchange::Outcome::NotSent && !port_.isOpen());
    const std::string why = result.error;
    // The exchange is inside its own handler: it goes at the next turn.
    spent_ = std::move(exchange_);
    Job job = std::move(current_);
    current_ = Job{};
    if (lost && up_)
        lineLost(why);
    complete(std::move(job), reply);
    kickTimer_->setEnabled(true); // also lets the spent exchange go
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

void LineQueue::onComm(int)
{
    port_.read(); // nobody asked: dropped
}

void LineQueue::onPortLost(const std::string& why)
{
    if (up_)
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
