#include "line/reopen.h"

#include <algorithm>

namespace orva {

Reopen::Reopen(SerialPort& port, Timer& timer) : port_(port), timer_(timer)
{
    timer_.setHandler([this] { tick(); });
}

Reopen::~Reopen()
{
    timer_.setHandler({});
    timer_.setEnabled(false);
}

int Reopen::delayBefore(int tryNumber)
{
    if (tryNumber <= kQuickTries)
        return kQuickDelayMs;
    // One second longer for every try after the quick ones.
    const int beyond = tryNumber - kQuickTries;
    return std::min(kQuickDelayMs + beyond * 1000, kLongestDelayMs);
}

void Reopen::portLost()
{
    timer_.setEnabled(false);
    active_ = true;
    trying_ = false;
    tries_ = 0;
    scheduleNext();
}

void Reopen::stop()
{
    if (!active_)
        return;
    active_ = false;
    timer_.setEnabled(false);
    if (trying_) {
        trying_ = false;
        port_.close(); // abandons the open under way
    }
}

bool Reopen::openFinished(bool opened)
{
    if (!active_ || !trying_)
        return false; // not ours, or from a try that was abandoned
    trying_ = false;
    if (opened) {
        active_ = false;
        return true;
    }
    scheduleNext();
    return false;
}

void Reopen::scheduleNext()
{
    timer_.setInterval(delayBefore(tries_ + 1));
    timer_.setEnabled(true);
}

void Reopen::tick()
{
    timer_.setEnabled(false); // one try at a time: the next is scheduled by its outcome
    if (!active_ || trying_)
        return;
    if (port_.isOpen()) { // opened by other means meanwhile
        active_ = false;
        return;
    }
    trying_ = true;
    ++tries_;
    port_.beginOpen(); // the outcome may come back before this returns
}

} // namespace orva
