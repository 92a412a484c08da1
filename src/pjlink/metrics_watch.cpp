#include "pjlink/metrics_watch.h"

#include <utility>

namespace orva::pjlink {
namespace {

Metrics::Outcome outcomeOf(LineReply::Kind outcome)
{
    switch (outcome) {
    case LineReply::Kind::Replied: return Metrics::Outcome::Reply;
    case LineReply::Kind::NoReply: return Metrics::Outcome::Timeout;
    case LineReply::Kind::NotSent:
    case LineReply::Kind::PortLost: break;
    }
    return Metrics::Outcome::Error;
}

} // namespace

MetricsWatch::MetricsWatch(TimerSource& timers, const Clock& clock, std::function<std::int64_t()> unixMs)
    : timers_(timers)
    , clock_(clock)
    , unixMs_(std::move(unixMs))
{
}

MetricsWatch::~MetricsWatch()
{
    while (!watched_.empty())
        unwatch(watched_.begin()->first);
}

bool MetricsWatch::configure(const MetricsSettings& settings, std::string& why)
{
    const bool moved = settings.listen != settings_.listen || settings.user != settings_.user
        || settings.password != settings_.password || (!serving_ && !settings.listen.empty());
    const bool retimed = settings.pollSeconds != settings_.pollSeconds;
    const MetricsSettings old = settings_;
    settings_ = settings;
    bool ok = true;
    if (moved) {
        if (settings_.listen.empty()) {
            metrics_.stopServing();
        } else if (!metrics_.serve(settings_.listen, why, settings_.user, settings_.password)) {
            ok = false;
            if (metrics_.port() != 0) { // the endpoint served so far goes on
                why += "; still serving on " + old.listen;
                settings_.listen = old.listen;
                settings_.user = old.user;
                settings_.password = old.password;
            }
        }
        serving_ = metrics_.port() != 0;
    }
    if (moved || retimed) {
        for (auto& [section, watched] : watched_)
            startPolling(section, watched);
    }
    return ok;
}

void MetricsWatch::watch(const std::string& section, LineQueue& line)
{
    unwatch(section);
    metrics_.addProjector(section);
    line.setObserver([this, section](const std::string&, const LineReply& reply) {
        metrics_.countTransaction(section, outcomeOf(reply.kind));
    });
    Watched& watched = watched_[section];
    watched.line = &line;
    startPolling(section, watched);
}

void MetricsWatch::unwatch(const std::string& section)
{
    const auto it = watched_.find(section);
    if (it == watched_.end())
        return;
    it->second.poller.reset();
    it->second.line->setObserver(nullptr);
    watched_.erase(it);
    metrics_.removeProjector(section);
}

void MetricsWatch::startPolling(const std::string& section, Watched& watched)
{
    watched.poller.reset();
    if (!serving_)
        return;
    LineQueue* line = watched.line;
    watched.poller = std::make_unique<Poller>(
        timers_.makeTimer("poll"), clock_, unixMs_, settings_.pollSeconds,
        [line](std::string frame, LineQueue::Done done) { line->submit(std::move(frame), std::move(done)); },
        [this, section](const PollSample& sample) { metrics_.publish(section, sample); });
    watched.poller->start();
}

} // namespace orva::pjlink
