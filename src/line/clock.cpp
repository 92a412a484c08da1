#include "line/clock.h"

#include <chrono>

namespace orva {
namespace {

class SteadyClock : public Clock {
public:
    std::int64_t nowMs() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace

const Clock& steadyClock()
{
    static const SteadyClock clock;
    return clock;
}

} // namespace orva
