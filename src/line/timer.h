#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <utility>

namespace orva {

// A window timer as the handlers see it: an interval in milliseconds,
// switched on and off. Switching it on while it runs, or setting the interval
// of a running timer, restarts its countdown, so a reply time-out always
// counts from the latest send. The tick runs the handler on the event thread.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;

    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void fire()
    {
        if (handler_)
            handler_();
    }

private:
    std::function<void()> handler_;
};

// Where a program gets its timers: window timers on the event loop, or
// timers on a clock that a test moves.
class TimerSource {
public:
    virtual ~TimerSource() = default;
    // A new timer, switched off; `name` says which of the program's it is
    // ("Timer2").
    virtual std::unique_ptr<Timer> makeTimer(std::string_view name) = 0;
};

} // namespace orva
