#pragma once

#include "line/clock.h"
#include "line/timer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orva::test {

class FakeTimer;

// Milliseconds that pass only when a test says so. Timers due within an
// advance fire in the order of their due time, each at its own moment. As a
// TimerSource it makes a program's timers on itself, and finds them again by
// name.
class VirtualClock : public Clock, public TimerSource {
public:
    std::int64_t now() const { return now_; }
    std::int64_t nowMs() const override { return now_; }
    void advance(std::int64_t ms);
    // Time taken by the handler that runs now (a tick's, an event's): the
    // clock moves on, no timer fires meanwhile.
    void spend(std::int64_t ms) { now_ += ms; }

    std::unique_ptr<Timer> makeTimer(std::string_view name) override;
    // The timer of that name made last and still there; aborts when there
    // is none.
    FakeTimer& timer(std::string_view name) const;

private:
    friend class FakeTimer;
    void add(FakeTimer* t) { timers_.push_back(t); }
    void remove(FakeTimer* t);
    std::int64_t now_ = 0;
    std::vector<FakeTimer*> timers_;
};

class FakeTimer : public Timer {
public:
    explicit FakeTimer(VirtualClock& clock, std::string name = {})
        : clock_(clock), name_(std::move(name))
    {
        clock_.add(this);
    }
    ~FakeTimer() override { clock_.remove(this); }
    FakeTimer(const FakeTimer&) = delete;
    FakeTimer& operator=(const FakeTimer&) = delete;

    void setInterval(int ms) override;
    int interval() const override { return interval_; }
    void setEnabled(bool on) override;
    bool isEnabled() const override { return enabled_; }

    std::int64_t dueAt() const { return due_; }
    int ticks() const { return ticks_; }
    const std::string& name() const { return name_; }

private:
    friend class VirtualClock;
    void tick();
    VirtualClock& clock_;
    std::string name_;
    int interval_ = 0;
    bool enabled_ = false;
    std::int64_t due_ = 0;
    int ticks_ = 0;
};

// A timer without a clock: it ticks when told, if it is on.
class ManualTimer : public Timer {
public:
    void setInterval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override { enabled_ = on; }
    bool isEnabled() const override { return enabled_; }
    void tick()
    {
        if (enabled_)
            fire();
    }

private:
    int interval_ = 0;
    bool enabled_ = false;
};

} // namespace orva::test
