// One PJLink connection: greeting, authentication, line limits, order of
// answers, idle close; on the virtual clock.
#include "pjlink/session.h"

#include "virtual_clock.h"

#include <gtest/gtest.h>


namespace orva::pjlink {
namespace {

struct Client : ClientLink {
    void send(const std::string& bytes) override { sent += bytes; }
    void close() override { closed = true; }
    std::string sent;
    bool closed = false;
};

// Answers from a list, and holds an answer back while asked to.
struct Handler : CommandHandler {
    void execute(const Command& c, Answer answer, const Caller& caller) override
    {
        seen.push_back(c.body + " " + c.parameter);
        callers.push_back(caller);
        if (holdBack)
            held.push_back(std::move(answer));
        else
            answer("done");
    }
    std::vector<std::string> seen;
    std::vector<Answer> held;
    std::vector<Caller> callers;
    bool holdBack = false;
};

class SessionTest : public ::testing::Test {
protected:
    std::unique_ptr<Session> open(const std::string& password, int delayMs = 0)
    {
        // A stand-in digest: what matters here is that the session checks it.
        Authentication auth{password, [] { return std::string("0badcafe"); },
                            digestFor};
        auto s = std::make_unique<Session>(client, handler, idle, auth);
        s->start(delayMs);
        return s;
    }
    static std::string digestFor(const std::string& text)
    {
        return std::string(32 - text.size() % 32, 'a') + std::string(text.size() % 32, 'b');
    }

    test::VirtualClock clock;
    test::FakeTimer idle{clock};
    Client client;
    Handler handler;
};

TEST_F(SessionTest, WithoutPasswordCommandsAreAnsweredInTheOrderTheyCame)
{
    auto s = open("");
    EXPECT_EQ(client.sent, "PJLINK 0\r");
    client.sent.clear();
    handler.holdBack = true;
    s->received("%1POWR ?\r%1inpt 11\r\n%1LA");
    ASSERT_EQ(handler.seen, std::vector<std::string>{"POWR ?"}); // one at a time
    s->received("MP ?\r");
    handler.held.back()("1");
    EXPECT_EQ(client.sent, "%1POWR=1\r");
    ASSERT_EQ(handler.seen.size(), 2u);
    EXPECT_EQ(handler.seen[1], "INPT 11"); // the body is read case-blind
    handler.held.back()("OK");
    handler.held.back()("123 1");
    EXPECT_EQ(client.sent, "%1POWR=1\r%1INPT=OK\r%1LAMP=123 1\r");

    // A line too long, a line without a parameter, another class: answered
    // at once, and the connection goes on.
    client.sent.clear();
    handler.holdBack = false;
    s->received("%1NAME " + std::string(200, 'x') + "\r%1POWR\r%2INPT ?\rgarbage\r%1CLSS ?\r");
    EXPECT_EQ(client.sent, "%1NAME=ERR2\r%1POWR=ERR2\r%2INPT=ERR1\r%1CLSS=done\r");
    EXPECT_FALSE(client.closed);
    // 136 bytes with the CR is still a line.
    client.sent.clear();
    s->received("%1NAME " + std::string(128, 'x') + "\r");
    EXPECT_EQ(client.sent, "%1NAME=done\r");

    // Commands piled up behind one that waits are held up to a bound; past
    // it the connection is closed, not its queue grown.
    handler.holdBack = true;
    std::string pile;
    for (std::size_t i = 0; i <= Session::kMaxWaitingLines; ++i)
        pile += "%1POWR ?\r";
    s->received(pile);
    EXPECT_FALSE(client.closed);
    s->received("%1POWR ?\r");
    EXPECT_TRUE(client.closed);
}

TEST_F(SessionTest, TheFirstCommandCarriesTheDigestOfRandomAndPassword)
{
    {
        auto s = open("secret");
        EXPECT_EQ(client.sent, "PJLINK 1 0badcafe\r");
        client.sent.clear();
        s->received(digestFor("0badcafesecret") + "%1POWR ?\r%1POWR 1\r");
        EXPECT_EQ(client.sent, "%1POWR=done\r%1POWR=done\r");
        EXPECT_TRUE(s->authenticated());
    }
    for (const std::string& first : {digestFor("0badcafewrong") + "%1POWR ?\r", std::string("%1POWR ?\r")}) {
        client = Client{};
        handler.seen.clear();
        int failures = 0;
        auto s = open("secret");
        s->setAuthFailureHandler([&] { ++failures; return 0; });
        client.sent.clear();
        s->received(first + "%1POWR 1\r");
        EXPECT_EQ(client.sent, "PJLINK ERRA\r") << first;
        EXPECT_TRUE(client.closed);
        EXPECT_EQ(failures, 1);
        EXPECT_TRUE(handler.seen.empty());
    }
}

TEST_F(SessionTest, DeadlinesCountFromTheGreetingAndFromTheLastCompleteLine)
{
    // The first valid command must come within 10 s of the greeting; what
    // is not one (garbage, a half line) does not stop the count.
    auto late = open("");
    late->received("garbage\r%1CL");
    clock.advance(9'999);
    EXPECT_FALSE(client.closed);
    clock.advance(1);
    EXPECT_TRUE(client.closed);

    // After it, 30 s without a complete line closes: a NUL, a LF or half
    // a line 28.5 s on keep nothing open; the line they complete does.
    for (const std::string_view drip : {std::string_view("\0", 1), std::string_view("\n"), std::string_view("%1PO")}) {
        client = Client{};
        int authenticated = 0;
        auto s = open("");
        s->setAuthenticatedHandler([&] { ++authenticated; });
        clock.advance(9'000);
        s->received("%1POWR ?\r");
        EXPECT_EQ(authenticated, 1);
        clock.advance(28'500);
        s->received(drip);
        clock.advance(1'499);
        EXPECT_FALSE(client.closed);
        clock.advance(1);
        EXPECT_TRUE(client.closed) << int(drip[0]);
    }
    client = Client{};
    auto s = open("");
    s->received("%1POWR ?\r%1PO");
    clock.advance(29'000);
    s->received("WR ?\r");
    clock.advance(29'999);
    EXPECT_FALSE(client.closed);
    clock.advance(1);
    EXPECT_TRUE(client.closed);

    // While its own command runs the connection stays.
    client = Client{};
    handler.holdBack = true;
    auto busy = open("");
    busy->received("%1POWR ?\r");
    clock.advance(45'000);
    EXPECT_FALSE(client.closed);
    handler.held.back()("0");
    clock.advance(30'000);
    EXPECT_TRUE(client.closed);

    // An answer that comes after the client went is dropped; the handler
    // is told it went.
    client = Client{};
    auto gone = open("");
    gone->received("%1POWR ?\r");
    auto late2 = handler.held.back();
    const Caller caller = handler.callers.back();
    EXPECT_FALSE(caller.gone());
    gone.reset();
    EXPECT_TRUE(caller.gone());
    late2("1");
    EXPECT_EQ(client.sent, "PJLINK 0\r");
}

TEST_F(SessionTest, ABurstAnsweredAtOnceIsWorkedOffWithoutRecursion)
{
    // Each line answered inside execute: with recursion this many frames
    // overflow the stack.
    auto s = open("");
    std::string burst;
    for (int i = 0; i < 200'000; ++i)
        burst += "%1CLSS ?\r";
    s->received(burst);
    EXPECT_EQ(handler.seen.size(), 200'000u);
    EXPECT_EQ(client.sent.size(), std::string("PJLINK 0\r").size() + 200'000 * std::string("%1CLSS=done\r").size());
    EXPECT_FALSE(client.closed);
}

TEST_F(SessionTest, AFailedAuthenticationWaitsAsToldAndADelayedGreetingToo)
{
    auto s = open("secret", 4'000);
    EXPECT_EQ(client.sent, ""); // the greeting waits
    s->received(digestFor("0badcafewrong") + "%1POWR ?\r"); // before the greeting: held
    clock.advance(3'999);
    EXPECT_EQ(client.sent, "");
    s->setAuthFailureHandler([] { return 2'000; });
    clock.advance(1);
    EXPECT_EQ(client.sent, "PJLINK 1 0badcafe\r");
    clock.advance(1'999);
    EXPECT_FALSE(client.closed);
    s->received(digestFor("0badcafesecret") + "%1POWR ?\r"); // too late: refused already
    clock.advance(1);
    EXPECT_EQ(client.sent, "PJLINK 1 0badcafe\rPJLINK ERRA\r");
    EXPECT_TRUE(client.closed);
    EXPECT_TRUE(handler.seen.empty());
}

} // namespace
} // namespace orva::pjlink
