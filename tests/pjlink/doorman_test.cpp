// Who may connect and who must wait: the budget and its shares, the delays
// after wrong digests, the summarised log and the greeting numbers; on the
// virtual clock.
#include "pjlink/doorman.h"

#include "virtual_clock.h"

#include <gtest/gtest.h>

#include <set>

namespace orva::pjlink {
namespace {

class DoormanTest : public ::testing::Test {
protected:
    DoormanTest() { door.addProjector("a"), door.addProjector("b"); }
    std::uint64_t admit(const std::string& section, const std::string& source)
    {
        return door.admit(section, source, source + ":1", [this, source] { gaveWay.push_back(source); });
    }
    long logged(const std::string& text) const
    {
        return std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != l.npos; });
    }

    test::VirtualClock clock;
    std::vector<std::string> log;
    std::vector<std::string> gaveWay;
    // 8 in all: a share of 2 for each projector, 4 in common; 3 a source.
    Doorman door{clock, clock, [this](const std::string& l) { log.push_back(l); },
                 DoormanLimits{8, 3, 1000, 30'000, 600'000, 60'000, 3}};
};

TEST_F(DoormanTest, SourcesAndProjectorsKeepTheirShareAndTheOldestUnauthenticatedGivesWay)
{
    std::vector<std::uint64_t> x;
    for (int i = 0; i < 3; ++i)
        x.push_back(admit("a", "x"));
    EXPECT_EQ(admit("a", "x"), 0u); // its third is its last
    EXPECT_EQ(admit("a", "x"), 0u);
    EXPECT_EQ(logged("refused: 3 connections are open from x"), 1); // once, then counted

    // a takes its share and the common part, authenticated: b's share stays.
    for (const char* source : {"y", "z", "v"}) {
        door.authenticated(admit("a", source));
    }
    for (std::uint64_t id : x)
        door.authenticated(id);
    EXPECT_EQ(door.open(), 6);
    EXPECT_EQ(admit("a", "w"), 0u);
    EXPECT_NE(admit("b", "u"), 0u);
    const std::uint64_t bOld = admit("b", "t");
    EXPECT_NE(bOld, 0u);
    EXPECT_TRUE(gaveWay.empty());

    // Full: the oldest unauthenticated connection whose slot b may use goes.
    const std::uint64_t bNew = admit("b", "s");
    EXPECT_NE(bNew, 0u);
    EXPECT_EQ(gaveWay, std::vector<std::string>{"u"});
    EXPECT_EQ(door.open(), 8);
    door.release(bOld);
    door.release(bOld); // twice, or after giving way: nothing
    EXPECT_EQ(door.open(), 7);

    // The refusals are summarised a minute on, per source, with a count.
    log.clear();
    for (int i = 0; i < 500; ++i)
        admit("a", "x");
    EXPECT_TRUE(log.empty());
    clock.advance(120'000);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(logged("x: 501 more connections refused"), 1) << log.front();
    clock.advance(600'000);
    EXPECT_EQ(log.size(), 1u);
    // Many sources still make a line a minute: past 3 remembered, the
    // rest count together.
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 2; ++j)
            door.authenticationFailed("a", "p" + std::to_string(i), "p:1");
    clock.advance(60'000);
    EXPECT_EQ(log.size(), 1u + 3 + 1 + 3 + 1) << ::testing::PrintToString(log);
    EXPECT_EQ(logged("other sources: "), 1);
}

TEST_F(DoormanTest, WrongDigestsDoubleTheSourcesDelayUpToACapAndAQuietSpellLiftsIt)
{
    std::vector<int> delays;
    for (int i = 0; i < 7; ++i)
        delays.push_back(door.authenticationFailed("a", "x", "x:1"));
    EXPECT_EQ(delays, (std::vector<int>{1000, 2000, 4000, 8000, 16'000, 30'000, 30'000}));
    // The source's greetings are spaced by its delay: one guess per delay
    // however many connections it opens. Another source is not slowed.
    EXPECT_EQ(door.greetingDelay("x"), 30'000);
    EXPECT_EQ(door.greetingDelay("x"), 60'000);
    EXPECT_EQ(door.greetingDelay("y"), 0);
    EXPECT_EQ(logged("authentication failed for x:1"), 1);
    clock.advance(60'000);
    EXPECT_EQ(logged("x: 6 more authentication failures in the last 60 s (attempts from it wait 30 s)"), 1);

    clock.advance(600'000); // quiet for 10 minutes
    EXPECT_EQ(door.greetingDelay("x"), 0);
    EXPECT_EQ(door.authenticationFailed("a", "x", "x:1"), 1000);
}

TEST(SourceKey, IPv4AsItIsIPv6ByItsSlash64)
{
    const std::uint8_t v4[4] = {192, 0, 2, 7};
    EXPECT_EQ(sourceKey(v4, 4), "192.0.2.7");
    std::uint8_t v6[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0x01, 0x02, 1, 2, 3, 4, 5, 6, 7, 8};
    const std::string key = sourceKey(v6, 16);
    EXPECT_EQ(key, "2001:db8:0:102::/64");
    v6[15] = 9;
    EXPECT_EQ(sourceKey(v6, 16), key); // same /64, same source
}

TEST(GreetingNumbers, NoNumberComesTwiceAndTheKeyChangesTheSequence)
{
    GreetingNumbers numbers({1, 2, 3, 4});
    std::set<std::uint32_t> seen;
    for (int i = 0; i < (1 << 18); ++i) // drawn at random, a repeat would be all but certain
        ASSERT_TRUE(seen.insert(numbers.next()).second) << i;
    GreetingNumbers other({1, 2, 3, 5});
    EXPECT_NE(GreetingNumbers({1, 2, 3, 4}).nextHex(), other.nextHex());
    EXPECT_EQ(other.nextHex().size(), 8u);
}

} // namespace
} // namespace orva::pjlink
