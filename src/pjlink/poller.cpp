#include "pjlink/poller.h"

#include <utility>

namespace orva::pjlink {

Poller::Poller(std::unique_ptr<Timer> timer, const Clock& clock, std::function<std::int64_t()> unixMs,
               int intervalSeconds, Transact transact, Publish publish)
    : timer_(std::move(timer))
    , clock_(clock)
    , unixMs_(std::move(unixMs))
    , transact_(std::move(transact))
    , publish_(std::move(publish))
    , generation_(std::make_shared<std::uint64_t>(0))
{
    intervalMs_ = std::int64_t{intervalSeconds} * 1000;
    timer_->setInterval(intervalSeconds * 1000);
    timer_->setHandler([this] { poll(); });
}

Poller::~Poller()
{
    stop();
}

void Poller::start()
{
    timer_->setEnabled(true);
    poll();
}

void Poller::stop()
{
    timer_->setEnabled(false);
    ++*generation_;
    step_ = kIdle;
    givenUp_ = false;
}

void Poller::poll()
{
    if (polling()) {
        if (!givenUp_ && clock_.nowMs() - startedMs_ >= kGiveUpIntervals * intervalMs_)
            giveUp();
        return;
    }
    sample_ = PollSample{};
    startedMs_ = clock_.nowMs();
    step_ = 0;
    send();
}

void Poller::send()
{
    const std::string frame = frameOf(kReads[step_]);
    std::weak_ptr<std::uint64_t> alive = generation_;
    const std::uint64_t sentIn = *generation_;
    transact_(frame, [this, alive, sentIn](const LineReply& reply) {
        const auto generation = alive.lock();
        if (generation && *generation == sentIn)
            replied(reply);
    });
}

void Poller::replied(const LineReply& reply)
{
    if (givenUp_) { // what it read is too old to tell
        givenUp_ = false;
        step_ = kIdle;
        ++*generation_;
        return;
    }
    if (reply.kind != LineReply::Kind::Replied) {
        finish(false);
        return;
    }
    switch (kReads[step_]) {
    case Read::Power: sample_.power = readPowerState(reply.reply); break;
    case Read::LampHours:
        if (const auto lamp = readLampHours(reply.reply))
            sample_.lampHours = lamp->hours;
        break;
    case Read::Temperatures:
        if (const auto sensors = readTemperatures(reply.reply)) {
            for (std::size_t i = 0; i < sensors->size(); ++i) {
                if (const auto& t = (*sensors)[i])
                    sample_.temperatures[i] = t->celsius;
            }
        }
        break;
    default: sample_.lamp = readLampState(reply.reply); break;
    }
    if (++step_ < kReads.size()) {
        send();
        return;
    }
    finish(true);
}

void Poller::giveUp()
{
    givenUp_ = true;
    PollSample stale;
    stale.durationMs = clock_.nowMs() - startedMs_;
    stale.finishedUnixMs = unixMs_();
    publish_(stale);
}

void Poller::finish(bool up)
{
    step_ = kIdle;
    if (!up)
        sample_ = PollSample{};
    sample_.up = up;
    sample_.durationMs = clock_.nowMs() - startedMs_;
    sample_.finishedUnixMs = unixMs_();
    ++*generation_; // a late reply of this poll is no longer awaited
    publish_(sample_);
}

} // namespace orva::pjlink
