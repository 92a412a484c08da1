#pragma once

#include "link/timer.h"
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
    virtual void execute(const Command& command, Answer answer) = 0;
};

// How a session authenticates: the password (empty: none), the random
// number for the greeting (8 hex digits) and MD5 in lower-case hex.
struct Authentication {
    std::string password;
    std::function<std::string()> random;
    std::function<std::string(const std::string&)> md5Hex;
};

// One PJLink connection: the greeting, the authentication of the first
// command, then one command at a time, answered in the order they came. A
// connection with nothing received and nothing to answer for kIdleMs is
// closed. A client that sends more than kMaxWaitingLines commands ahead of
// the answers is no PJLink client (each waits for its answer): it is closed
// rather than queued without end.
class Session {
public:
    static constexpr int kIdleMs = 30'000;
    static constexpr std::size_t kMaxWaitingLines = 64;

    Session(ClientLink& client, CommandHandler& handler, Timer& idleTimer, const Authentication& auth);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Sends the greeting.
    void start();
    void received(std::string_view bytes);

    // Called once when a client fails the authentication (the connection
    // is being closed).
    void setAuthFailureHandler(std::function<void()> handler) { onAuthFailure_ = std::move(handler); }
    bool closed() const { return closed_; }
    bool authenticated() const { return !needsDigest_; }

private:
    void handle(const LineSplitter::Line& line);
    void next();
    void answered(char commandClass, const std::string& body, const std::string& text);
    void refuse();
    void close();
    void idle();

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
    // Answers that come after the session is gone are dropped.
    std::shared_ptr<Session*> self_;
    std::function<void()> onAuthFailure_;
};

} // namespace orva::pjlink
