#pragma once

#include <cstdint>

namespace orva {

// Milliseconds on a clock that only moves forward.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
};

// The machine's monotonic clock.
const Clock& steadyClock();

} // namespace orva
