#pragma once

#include "line/clock.h"
#include "line/timer.h"
#include "pjlink/line_queue.h"
#include "pjlink/metrics.h"
#include "pjlink/metrics_settings.h"
#include "pjlink/poller.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace orva::pjlink {

// The metrics of every projector the daemon serves: what the `[metrics]`
// section asks for, a poller on each projector's line while the endpoint is
// served (no endpoint, no polls: nobody could read them), the transaction
// counter on each line and the connection counters from the servers.
class MetricsWatch {
public:
    MetricsWatch(TimerSource& timers, const Clock& clock, std::function<std::int64_t()> unixMs);
    ~MetricsWatch();
    MetricsWatch(const MetricsWatch&) = delete;
    MetricsWatch& operator=(const MetricsWatch&) = delete;

    // Takes the section's settings: a new address (or new credentials) is
    // served in place of the old, a new interval restarts the polls. False,
    // and why, when the address cannot be served: an endpoint served so far
    // then goes on as it was (`settings()` says so), else there is none.
    bool configure(const MetricsSettings& settings, std::string& why);
    const MetricsSettings& settings() const { return settings_; }

    // A projector's line, from when it is served to when it goes: `unwatch`
    // before the line itself goes.
    void watch(const std::string& section, LineQueue& line);
    void unwatch(const std::string& section);

    void connectionAccepted(const std::string& section) { metrics_.countConnection(section); }
    void authenticationFailed(const std::string& section) { metrics_.countAuthFailure(section); }

    Metrics& metrics() { return metrics_; }

private:
    struct Watched {
        LineQueue* line = nullptr;
        std::unique_ptr<Poller> poller;
    };
    void startPolling(const std::string& section, Watched& watched);

    TimerSource& timers_;
    const Clock& clock_;
    std::function<std::int64_t()> unixMs_;
    Metrics metrics_;
    MetricsSettings settings_;
    bool serving_ = false;
    std::map<std::string, Watched> watched_;
};

} // namespace orva::pjlink
