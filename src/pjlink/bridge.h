#pragma once

#include "pjlink/line_queue.h"
#include "pjlink/mapping.h"
#include "pjlink/session.h"

#include <memory>
#include <string>

namespace orva::pjlink {

// What a projector says of itself without the line.
struct Identity {
    std::string name;         // NAME
    std::string manufacturer; // INF1
    std::string model;        // INF2
    std::string other;        // INFO
};

// Carries out the PJLink commands of one projector on its line, by the
// mapping table; every client of the projector goes through it. A command
// that needs the line when the line's queue admits no more of its caller is
// answered ERR3 at once.
class ProjectorBridge : public CommandHandler {
public:
    ProjectorBridge(LineQueue& line, Identity identity);
    ~ProjectorBridge() override;

    void execute(const Command& command, Answer answer, const Caller& caller) override;

    const Identity& identity() const { return identity_; }

private:
    void query(const std::string& body, Answer answer, const Caller& caller);
    void set(const SetMapping& row, Answer answer, const Caller& caller);
    void sendFrames(const SetMapping& row, std::size_t index, Answer answer, const Caller& caller);
    // Runs `then` only while this bridge lives.
    template <typename F>
    auto guarded(F then);

    LineQueue& line_;
    Identity identity_;
    bool videoMuted_ = false;
    bool audioMuted_ = false;
    std::shared_ptr<ProjectorBridge*> self_;
};

} // namespace orva::pjlink
