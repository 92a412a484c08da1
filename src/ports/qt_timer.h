#pragma once

#include "line/timer.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string_view>

namespace orva {

// A window timer on QTimer, to the millisecond.
class QtTimer : public Timer {
public:
    QtTimer()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
    }

    void setInterval(int ms) override { timer_.setInterval(ms); } // restarts a running timer
    int interval() const override { return timer_.interval(); }
    void setEnabled(bool on) override
    {
        if (on)
            timer_.start(); // (re)starts the countdown
        else
            timer_.stop();
    }
    bool isEnabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtTimerSource : public TimerSource {
public:
    std::unique_ptr<Timer> makeTimer(std::string_view) override { return std::make_unique<QtTimer>(); }
};

} // namespace orva
