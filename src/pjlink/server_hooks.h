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

// The connections all projectors together serve at once.
class ConnectionBudget {
public:
    static constexpr int kDefaultLimit = 256;
    explicit ConnectionBudget(int limit = kDefaultLimit) : limit_(limit) {}
    bool take()
    {
        if (inUse_ >= limit_)
            return false;
        ++inUse_;
        return true;
    }
    void give()
    {
        if (inUse_ > 0)
            --inUse_;
    }
    int inUse() const { return inUse_; }
    int limit() const { return limit_; }

private:
    int limit_;
    int inUse_ = 0;
};

} // namespace orva::pjlink
