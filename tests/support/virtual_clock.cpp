#include "virtual_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace orva::test {

void VirtualClock::remove(FakeTimer* t)
{
    timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

std::unique_ptr<Timer> VirtualClock::makeTimer(std::string_view name)
{
    return std::make_unique<FakeTimer>(*this, std::string(name));
}

FakeTimer& VirtualClock::timer(std::string_view name) const
{
    for (auto it = timers_.rbegin(); it != timers_.rend(); ++it) {
        if ((*it)->name() == name)
            return **it;
    }
    std::fprintf(stderr, "no timer \"%.*s\" on this clock\n", static_cast<int>(name.size()), name.data());
    std::abort();
}

void VirtualClock::advance(std::int64_t ms)
{
    const std::int64_t end = now_ + ms;
    for (;;) {
        FakeTimer* next = nullptr;
        for (FakeTimer* t : timers_) {
            if (t->enabled_ && t->interval_ > 0 && t->due_ <= end && (!next || t->due_ < next->due_))
                next = t;
        }
        if (!next)
            break;
        now_ = std::max(now_, next->due_); // late when a handler took its time
        next->tick();
    }
    now_ = end;
}

void FakeTimer::setInterval(int ms)
{
    interval_ = ms;
    if (enabled_)
        due_ = clock_.now() + interval_; // retuning a running timer restarts it
}

void FakeTimer::setEnabled(bool on)
{
    enabled_ = on;
    if (on)
        due_ = clock_.now() + interval_; // switching on restarts the countdown
}

void FakeTimer::tick()
{
    ++ticks_;
    due_ = clock_.now() + interval_; // a window timer keeps ticking until switched off
    fire();
}

} // namespace orva::test
