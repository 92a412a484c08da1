#include "pjlink/metrics.h"

#include <prometheus/counter.h>
#include <prometheus/exposer.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

#include <array>
#include <exception>
#include <utility>

namespace orva::pjlink {
namespace {

using prometheus::Counter;
using prometheus::Family;
using prometheus::Gauge;

// Label values as the naming rules want them: snake case.
constexpr std::array<std::pair<PowerState, const char*>, 7> kPowerStates{{
    {PowerState::On, "on"},
    {PowerState::Standby, "standby"},
    {PowerState::CountDown, "count_down"},
    {PowerState::CoolingDown, "cooling_down"},
    {PowerState::PowerAbnormality, "power_abnormality"},
    {PowerState::TemperatureAbnormality, "temperature_abnormality"},
    {PowerState::LampFailure, "lamp_failure"},
}};
constexpr std::array<std::pair<LampState, const char*>, 3> kLampStates{{
    {LampState::On, "on"},
    {LampState::Off, "off"},
    {LampState::Failure, "failure"},
}};
constexpr std::array<const char*, 3> kOutcomes{"reply", "timeout", "error"};
constexpr std::array<const char*, 3> kSensors{"1", "2", "3"};

} // namespace

struct Metrics::Families {
    std::shared_ptr<prometheus::Registry> registry = std::make_shared<prometheus::Registry>();
    Family<Gauge>& up = gauge("orva_up", "1 when the last poll of the projector got replies, 0 when it did not");
    Family<Gauge>& power = gauge("orva_power_state",
                                 "The projector's power state as last read: 1 for the current state");
    Family<Gauge>& lampHours = gauge("orva_lamp_hours", "Hours the lamp has been on, as last read");
    Family<Gauge>& temperature = gauge(
        "orva_temperature_celsius", "The projector's three temperature sensors, as last read");
    Family<Gauge>& lamp = gauge("orva_lamp_state", "The lamp's state as last read: 1 for the current state");
    Family<Gauge>& lastPoll = gauge("orva_last_poll_timestamp_seconds",
                                    "When the last poll that got replies ended, in seconds since the epoch");
    Family<Gauge>& pollDuration = gauge(
        "orva_poll_duration_seconds", "How long the last poll took, from queueing its first read to its last reply");
    Family<Counter>& transactions = counter(
        "orva_transactions_total", "Transactions on the projector's line (polls and PJLink commands), by outcome");
    Family<Counter>& connections = counter("orva_pjlink_connections_total", "PJLink connections accepted");
    Family<Counter>& authFailures = counter("orva_pjlink_auth_failures_total",
                                            "PJLink connections closed on a wrong password");
    std::unique_ptr<prometheus::Exposer> exposer;

    Family<Gauge>& gauge(const char* name, const char* help)
    {
        return prometheus::BuildGauge().Name(name).Help(help).Register(*registry);
    }
    Family<Counter>& counter(const char* name, const char* help)
    {
        return prometheus::BuildCounter().Name(name).Help(help).Register(*registry);
    }
};

// One projector's series. Those that may come and go are pointers, null
// while the series is left out.
struct Metrics::Series {
    Families& f;
    prometheus::Labels labels;
    Gauge* up = nullptr;
    Gauge* lastPoll = nullptr;
    Gauge* pollDuration = nullptr;
    std::array<Counter*, 3> transactions{};
    Counter* connections = nullptr;
    Counter* authFailures = nullptr;
    std::array<Gauge*, kPowerStates.size()> power{};
    Gauge* lampHours = nullptr;
    std::array<Gauge*, 3> temperature{};
    std::array<Gauge*, kLampStates.size()> lamp{};

    Series(Families& families, const std::string& name)
        : f(families)
        , labels{{"projector", name}}
    {
        up = &f.up.Add(labels);
        for (std::size_t i = 0; i < kOutcomes.size(); ++i)
            transactions[i] = &f.transactions.Add(with("outcome", kOutcomes[i]));
        connections = &f.connections.Add(labels);
        authFailures = &f.authFailures.Add(labels);
    }
    ~Series()
    {
        f.up.Remove(up);
        drop(f.lastPoll, lastPoll);
        drop(f.pollDuration, pollDuration);
        for (Counter* c : transactions)
            f.transactions.Remove(c);
        f.connections.Remove(connections);
        f.authFailures.Remove(authFailures);
        for (Gauge*& g : power)
            drop(f.power, g);
        drop(f.lampHours, lampHours);
        for (Gauge*& g : temperature)
            drop(f.temperature, g);
        for (Gauge*& g : lamp)
            drop(f.lamp, g);
    }
    Series(const Series&) = delete;
    Series& operator=(const Series&) = delete;

    prometheus::Labels with(const char* key, const char* value) const
    {
        prometheus::Labels l = labels;
        l.emplace(key, value);
        return l;
    }
    template <typename T>
    static void drop(Family<T>& family, T*& metric)
    {
        if (metric)
            family.Remove(metric);
        metric = nullptr;
    }
    // Sets the series to `value`, or leaves it out when there is none.
    static void set(Family<Gauge>& family, Gauge*& gauge, const prometheus::Labels& l,
                    std::optional<double> value)
    {
        if (!value) {
            drop(family, gauge);
            return;
        }
        if (!gauge)
            gauge = &family.Add(l);
        gauge->Set(*value);
    }
    template <typename State, std::size_t N>
    void setStates(Family<Gauge>& family, std::array<Gauge*, N>& gauges,
                   const std::array<std::pair<State, const char*>, N>& table, std::optional<State> current)
    {
        for (std::size_t i = 0; i < N; ++i) {
            std::optional<double> value;
            if (current)
                value = *current == table[i].first ? 1.0 : 0.0;
            set(family, gauges[i], with("state", table[i].second), value);
        }
    }
};

Metrics::Metrics()
    : families_(std::make_unique<Families>())
{
}

Metrics::~Metrics()
{
    // The endpoint stops before the series it reads go.
    families_->exposer.reset();
    projectors_.clear();
}

void Metrics::addProjector(const std::string& name)
{
    if (!projectors_.count(name))
        projectors_.emplace(name, std::make_unique<Series>(*families_, name));
}

void Metrics::removeProjector(const std::string& name)
{
    projectors_.erase(name);
}

void Metrics::publish(const std::string& name, const PollSample& sample)
{
    const auto it = projectors_.find(name);
    if (it == projectors_.end())
        return;
    Series& s = *it->second;
    Families& f = *families_;
    s.up->Set(sample.up ? 1 : 0);
    Series::set(f.pollDuration, s.pollDuration, s.labels, sample.durationMs / 1000.0);
    if (!sample.up)
        return;
    Series::set(f.lastPoll, s.lastPoll, s.labels, sample.finishedUnixMs / 1000.0);
    s.setStates(f.power, s.power, kPowerStates, sample.power);
    std::optional<double> hours;
    if (sample.lampHours)
        hours = static_cast<double>(*sample.lampHours);
    Series::set(f.lampHours, s.lampHours, s.labels, hours);
    for (std::size_t i = 0; i < kSensors.size(); ++i)
        Series::set(f.temperature, s.temperature[i], s.with("sensor", kSensors[i]), sample.temperatures[i]);
    s.setStates(f.lamp, s.lamp, kLampStates, sample.lamp);
}

void Metrics::countTransaction(const std::string& name, Outcome outcome)
{
    if (const auto it = projectors_.find(name); it != projectors_.end())
        it->second->transactions[static_cast<std::size_t>(outcome)]->Increment();
}

void Metrics::countConnection(const std::string& name)
{
    if (const auto it = projectors_.find(name); it != projectors_.end())
        it->second->connections->Increment();
}

void Metrics::countAuthFailure(const std::string& name)
{
    if (const auto it = projectors_.find(name); it != projectors_.end())
        it->second->authFailures->Increment();
}

std::string Metrics::text() const
{
    return prometheus::TextSerializer().Serialize(families_->registry->Collect());
}

namespace {

// Equal texts, in a time that does not tell how much of them matched.
bool sameSecret(const std::string& a, const std::string& b)
{
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return diff == 0;
}

std::unique_ptr<prometheus::Exposer> exposerOn(const std::string& address, const std::string& user,
                                               const std::string& password,
                                               const std::shared_ptr<prometheus::Registry>& registry)
{
    try {
        // civetweb's options: request_timeout_ms bounds the whole request,
        // so a client that sends nothing, or a byte at a time, gives its
        // thread back within it; no keep-alive, so a scraper's connection
        // does not hold a thread between scrapes.
        auto exposer = std::make_unique<prometheus::Exposer>(std::vector<std::string>{
            "listening_ports", address, "num_threads", std::to_string(Metrics::kThreads), "request_timeout_ms",
            std::to_string(Metrics::kRequestTimeoutMs), "enable_keep_alive", "no"});
        if (!user.empty()) {
            exposer->RegisterAuth(
                [user, password](const std::string& u, const std::string& p) {
                    return sameSecret(u, user) & sameSecret(p, password);
                },
                "orva-pjlinkd");
        }
        exposer->RegisterCollectable(registry);
        return exposer;
    } catch (const std::exception&) { // civetweb's "Possible problem binding to port", no more
        return nullptr;
    }
}

} // namespace

bool Metrics::serve(const std::string& address, std::string& why, const std::string& user,
                    const std::string& password)
{
    const auto portOf = [](const std::string& a) { return a.substr(a.rfind(':') + 1); };
    // Beside the old endpoint first. When that fails on the port the old
    // one holds, the old one makes way, and comes back if the new one still
    // cannot listen.
    auto next = exposerOn(address, user, password, families_->registry);
    if (!next && families_->exposer && portOf(address) == portOf(served_.address)) {
        families_->exposer.reset();
        next = exposerOn(address, user, password, families_->registry);
        if (!next)
            families_->exposer = exposerOn(served_.address, served_.user, served_.password, families_->registry);
    }
    if (!next) {
        why = "cannot listen on " + address + " (in use, or not an address of this machine)";
        return false;
    }
    families_->exposer = std::move(next);
    // As bound: a port 0 asked for is the port taken.
    served_ = {address.substr(0, address.rfind(':') + 1) + std::to_string(port()), user, password};
    return true;
}

void Metrics::stopServing()
{
    families_->exposer.reset();
    served_ = {};
}

int Metrics::port() const
{
    if (!families_->exposer)
        return 0;
    const std::vector<int> ports = families_->exposer->GetListeningPorts();
    return ports.empty() ? 0 : ports.front();
}

} // namespace orva::pjlink
