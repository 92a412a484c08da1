#pragma once

#include <functional>
#include <string>

namespace orva::pjlink {

// Who asked for a command: the source it is counted against ("" when
// none), and whether the client is still there to take the answer (work
// for a client that has gone need not be done).
struct Caller {
    std::string source;
    std::function<bool()> present;
    bool gone() const { return present && !present(); }
};

} // namespace orva::pjlink
