#include "pjlink/session.h"

#include <cctype>
#include <utility>

namespace orva::pjlink {
namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

Session::Session(ClientLink& client, CommandHandler& handler, Timer& idleTimer, const Authentication& auth)
    : client_(client), handler_(handler), idleTimer_(idleTimer), self_(std::make_shared<Session*>(this))
{
    idleTimer_.setHandler([this] { timeUp(); });
    if (!auth.password.empty()) {
        const std::string random = auth.random();
        expectedDigest_ = lower(auth.md5Hex(random + auth.password));
        needsDigest_ = true;
        // The first line carries the digest in front of the command.
        splitter_.setLimit(kMaxLine + kDigestLength);
        greeting_ = greeting(random);
    } else {
        greeting_ = greeting(std::nullopt);
    }
}

Session::~Session()
{
    *self_ = nullptr;
    idleTimer_.setHandler({});
    idleTimer_.setEnabled(false);
}

void Session::countFrom(int ms)
{
    idleTimer_.setInterval(ms);
    idleTimer_.setEnabled(true); // counts from now
}

void Session::start(int delayMs)
{
    if (delayMs > 0) {
        phase_ = Phase::Delayed;
        countFrom(delayMs);
        return;
    }
    greet();
}

void Session::greet()
{
    phase_ = Phase::Greeted;
    client_.send(greeting_);
    countFrom(kFirstCommandMs);
    next(); // what came before the greeting
}

void Session::received(std::string_view bytes)
{
    if (closed_ || phase_ == Phase::Refusing)
        return;
    bool commandLine = false;
    for (auto& line : splitter_.feed(bytes)) {
        commandLine = commandLine || parseLine(line.text).kind != ParsedLine::Kind::BadHeader;
        lines_.push_back(std::move(line));
    }
    if (commandLine && phase_ == Phase::Serving)
        countFrom(kIdleMs);
    next();
    if (lines_.size() > kMaxWaitingLines)
        close();
}

void Session::next()
{
    // Answers given at once come back into answered() and so here while the
    // loop below runs: they only clear `busy_`, and the loop goes on.
    if (working_)
        return;
    working_ = true;
    while (!busy_ && !closed_ && (phase_ == Phase::Greeted || phase_ == Phase::Serving) && !lines_.empty()) {
        const LineSplitter::Line line = std::move(lines_.front());
        lines_.pop_front();
        handle(line);
    }
    working_ = false;
}

void Session::handle(const LineSplitter::Line& line)
{
    const ParsedLine parsed = parseLine(line.text);
    if (phase_ == Phase::Greeted) {
        if (needsDigest_) {
            if (parsed.kind == ParsedLine::Kind::BadHeader || lower(parsed.digest) != expectedDigest_) {
                refuse();
                return;
            }
            needsDigest_ = false;
            splitter_.setLimit(kMaxLine);
        }
        // Without a password the first command that can be carried out is
        // the one that counts.
        if (!expectedDigest_.empty() || (parsed.kind == ParsedLine::Kind::Command && !line.tooLong)) {
            phase_ = Phase::Serving;
            countFrom(kIdleMs);
            if (onAuthenticated_)
                onAuthenticated_();
        }
    }
    switch (parsed.kind) {
    case ParsedLine::Kind::BadHeader:
        return; // nothing that could be answered
    case ParsedLine::Kind::OtherClass:
        client_.send(answerLine(parsed.commandClass, parsed.command.body, kUnknownCommand));
        return;
    case ParsedLine::Kind::NoSeparator:
        client_.send(answerLine(parsed.commandClass, parsed.command.body, kBadParameter));
        return;
    case ParsedLine::Kind::Command:
        break;
    }
    if (line.tooLong) {
        client_.send(answerLine(parsed.commandClass, parsed.command.body, kBadParameter));
        return;
    }
    busy_ = true;
    std::weak_ptr<Session*> alive = self_;
    const char commandClass = parsed.commandClass;
    const std::string body = parsed.command.body;
    Caller caller = caller_;
    caller.present = [alive, present = caller_.present] {
        const auto self = alive.lock();
        return self && *self && !(*self)->closed_ && (!present || present());
    };
    handler_.execute(
        parsed.command,
        [alive, commandClass, body](const std::string& text) {
            if (const auto self = alive.lock(); self && *self)
                (*self)->answered(commandClass, body, text);
        },
        caller);
}

void Session::answered(char commandClass, const std::string& body, const std::string& text)
{
    if (closed_ || !busy_)
        return;
    busy_ = false;
    client_.send(answerLine(commandClass, body, text));
    countFrom(kIdleMs);
    next();
}

void Session::refuse()
{
    phase_ = Phase::Refusing;
    lines_.clear();
    const int delay = onAuthFailure_ ? onAuthFailure_() : 0;
    if (delay > 0) {
        countFrom(delay);
        return;
    }
    client_.send(std::string(kAuthRefused));
    close();
}

void Session::close()
{
    if (closed_)
        return;
    closed_ = true;
    lines_.clear();
    idleTimer_.setEnabled(false);
    client_.close();
}

void Session::timeUp()
{
    switch (phase_) {
    case Phase::Delayed:
        greet();
        return;
    case Phase::Greeted:
        close(); // no valid command in time
        return;
    case Phase::Serving:
        if (busy_) {
            countFrom(kIdleMs); // a command of its own is still on the line
            return;
        }
        close();
        return;
    case Phase::Refusing:
        client_.send(std::string(kAuthRefused));
        close();
        return;
    }
}

} // namespace orva::pjlink
