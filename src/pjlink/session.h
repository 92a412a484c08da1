#pragma once

#include "line/timer.h"
#include "pjlink/caller.h"
#include "pjlink/protocol.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orva::pjlink {

// The client end of one connection, as a session drives it.
class ClientLink {
public:
    virtual ~ClientLink() = default;
    virtual void send(const std::string& bytes) = 0;
    // Closes the connection once what was sent has gone.
    virtual void close() = 0;
};

// Carries out one command and answers it, now or later, with the text after
// the "=" ("OK", "ERR3", "1").
class CommandHandler {
public:
    using Answer = std::function<void(const std::string& text)>;
    virtual ~CommandHandler() = default;
    virtual void execute(const Command& command, Answer answer, const Caller& caller) = 0;
};

// How a session authenticates: the password (empty: none), the random
// number for the greeting (8 hex digits) and MD5 in lower-case hex.
struct Authentication {
    std::string password;
    std::function<std::string()> random;
    std::function<std::string(const std::string&)> md5Hex;
};

// One PJLink connection: the greeting, the authentication of the first
// command, then one command at a time, answered in the order they came.
//
// Deadlines: a connection whose first valid command (with the right digest,
// when there is a password) has not come kFirstCommandMs after the greeting
// is closed; after it, one with no complete command line from the client
// and nothing to answer for kIdleMs is closed (bytes that end no line do
// not count). A client that sends more than kMaxWaitingLines commands ahead
// of the answers is no PJLink client (each waits for its answer): it is
// closed rather than queued without end.
//
// Answers given at once (CLSS, NAME, errors) never make the session call
// itself again: the waiting lines are worked off in one loop.
class Session {
public:
    static constexpr int kIdleMs = 30'000;
    static constexpr int kFirstCommandMs = 10'000;
    static constexpr std::size_t kMaxWaitingLines = 64;

    Session(ClientLink& client, CommandHandler& handler, Timer& idleTimer, const Authentication& auth);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Sends the greeting, after `delayMs` (a source that failed to
    // authenticate waits for it).
    void start(int delayMs = 0);
    void received(std::string_view bytes);

    // Called once when a client fails the authentication; returns how long
    // to wait before refusing it (and closing).
    void setAuthFailureHandler(std::function<int()> handler) { onAuthFailure_ = std::move(handler); }
    // Called once, at the first valid command.
    void setAuthenticatedHandler(std::function<void()> handler) { onAuthenticated_ = std::move(handler); }
    // The source commands are counted against, and whether the client can
    // still take an answer.
    void setCaller(Caller caller) { caller_ = std::move(caller); }
    bool closed() const { return closed_; }
    bool authenticated() const { return phase_ == Phase::Serving; }
    // A command runs or waits for its turn.
    bool owesAnswers() const { return !closed_ && (busy_ || !lines_.empty()); }

private:
    enum class Phase {
        Delayed,  // the greeting waits
        Greeted,  // until the first valid command
        Serving,  // commands
        Refusing, // a failed authentication waits for its refusal
    };

    void greet();
    void handle(const LineSplitter::Line& line);
    void next();
    void answered(char commandClass, const std::string& body, const std::string& text);
    void refuse();
    void close();
    void timeUp();
    void countFrom(int ms);

    ClientLink& client_;
    CommandHandler& handler_;
    Timer& idleTimer_;
    LineSplitter splitter_;
    std::deque<LineSplitter::Line> lines_;
    std::string greeting_;
    std::string expectedDigest_;
    bool needsDigest_ = false;
    bool busy_ = false;
    bool closed_ = false;
    bool working_ = false; // inside next()'s loop
    Phase phase_ = Phase::Delayed;
    Caller caller_;
    // Answers that come after the session is gone are dropped.
    std::shared_ptr<Session*> self_;
    std::function<int()> onAuthFailure_;
    std::function<void()> onAuthenticated_;
};

} // namespace orva::pjlink
