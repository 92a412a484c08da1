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
    idleTimer_.setInterval(kIdleMs);
    idleTimer_.setHandler([this] { idle(); });
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

void Session::start()
{
    client_.send(greeting_);
    idleTimer_.setEnabled(true);
}

void Session::received(std::string_view bytes)
{
    if (closed_)
        return;
    idleTimer_.setEnabled(true); // counts from now
    for (auto& line : splitter_.feed(bytes))
        lines_.push_back(std::move(line));
    next();
    if (lines_.size() > kMaxWaitingLines)
        close();
}

void Session::next()
{
    while (!busy_ && !closed_ && !lines_.empty()) {
        const LineSplitter::Line line = std::move(lines_.front());
        lines_.pop_front();
        handle(line);
    }
}

void Session::handle(const LineSplitter::Line& line)
{
    const ParsedLine parsed = parseLine(line.text);
    if (needsDigest_) {
        if (parsed.kind == ParsedLine::Kind::BadHeader || lower(parsed.digest) != expectedDigest_) {
            refuse();
            return;
        }
        needsDigest_ = false;
        splitter_.setLimit(kMaxLine);
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
    handler_.execute(parsed.command, [alive, commandClass, body](const std::string& text) {
        if (const auto self = alive.lock(); self && *self)
            (*self)->answered(commandClass, body, text);
    });
}

void Session::answered(char commandClass, const std::string& body, const std::string& text)
{
    if (closed_ || !busy_)
        return;
    busy_ = false;
    client_.send(answerLine(commandClass, body, text));
    idleTimer_.setEnabled(true);
    next();
}

void Session::refuse()
{
    client_.send(std::string(kAuthRefused));
    if (onAuthFailure_)
        onAuthFailure_();
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

void Session::idle()
{
    if (busy_) {
        idleTimer_.setEnabled(true); // a command of its own is still on the line
        return;
    }
    close();
}

} // namespace orva::pjlink
