#pragma once

#include <functional>
#include <string>

namespace orva::pjlink {

// What the servers tell the rest of the daemon about their clients. Each
// hook gets the projector's section and the client's address.
struct ServerHooks {
    using Hook = std::function<void(const std::string& section, const std::string& peer)>;
    Hook accepted;   // a connection was taken
    Hook refused;    // a connection was turned away (too many)
    Hook authFailed; // a client failed the authentication (it is closed)
};

} // namespace orva::pjlink
