// The poll of a projector for the metrics: its cadence on the line, one
// transaction at a time, and what it makes of replies and their absence.
#include "pjlink/poller.h"
#include "virtual_clock.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace orva::pjlink {
namespace {

class Polling : public ::testing::Test {
protected:
    using Done = std::function<void(bool, std::string_view)>;

    // The line: what was queued on it, and the reads still awaiting their reply.
    std::vector<std::string> sent;
    std::deque<Done> waiting;
    std::vector<PollSample> published;
    test::VirtualClock clock;
    std::unique_ptr<Poller> poller = make(30);

    std::unique_ptr<Poller> make(int seconds)
    {
        return std::make_unique<Poller>(
            clock.makeTimer("poll"), clock, [this] { return 1'700'000'000'000 + clock.now(); }, seconds,
            [this](const std::string& frame, const std::string& key, Done done) {
                EXPECT_EQ(frame, key); // decoded as the read button's own reply
                sent.push_back(frame);
                waiting.push_back(std::move(done));
            },
            [this](const PollSample& s) { published.push_back(s); });
    }
    // The projector answers the oldest read after `ms`.
    void answer(std::string_view reply, int ms = 20, bool replied = true)
    {
        clock.advance(ms);
        ASSERT_FALSE(waiting.empty());
        Done done = std::move(waiting.front());
        waiting.pop_front();
        done(replied, reply);
    }
};

TEST_F(Polling, ReadsOneAfterAnotherAndPublishesWhatTheyRead)
{
    poller->start();
    for (std::string_view reply : {"00\r", "01234\r", "+25.5 -----  +40.2\r", "000 1I\r"}) {
        ASSERT_EQ(waiting.size(), 1u) << "never two transactions on the line";
        answer(reply);
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"CR0\r", "CR3\r", "CR6\r", "CR LAMPSTS\r"}));
    ASSERT_EQ(published.size(), 1u);
    const PollSample& s = published[0];
    EXPECT_TRUE(s.up);
    EXPECT_EQ(s.power, PowerState::On);
    EXPECT_EQ(s.lampHours, 1234);
    EXPECT_EQ(s.temperatures[0], 25.5);
    EXPECT_FALSE(s.temperatures[1]);
    EXPECT_EQ(s.temperatures[2], 40.2);
    EXPECT_EQ(s.lamp, LampState::On);
    EXPECT_EQ(s.durationMs, 80);
    EXPECT_EQ(s.finishedUnixMs, 1'700'000'000'080);
}

TEST_F(Polling, EveryIntervalButNeverTwoAtOnce)
{
    poller = make(1);
    poller->start();
    answer("80\r", 1500); // the tick at 1 s found this poll still waiting
    EXPECT_EQ(sent.size(), 2u);
    for (int i = 0; i < 3; ++i)
        answer("?\r");
    EXPECT_EQ(published.size(), 1u);
    EXPECT_TRUE(published[0].up); // answered, though not all in words we know
    EXPECT_FALSE(published[0].lampHours);
    clock.advance(460); // the next tick, at 2 s
    EXPECT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent.back(), "CR0\r");
}

TEST_F(Polling, FirstReadWithoutReplyEndsThePollAsDown)
{
    poller->start();
    answer("00\r");
    answer("", 1000, false); // no reply within the time-out, or the line down
    EXPECT_TRUE(waiting.empty());
    EXPECT_EQ(sent.size(), 2u);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_FALSE(published[0].up);
    EXPECT_FALSE(published[0].power); // a poll that is down says nothing of the projector
    EXPECT_EQ(published[0].durationMs, 1020);
    clock.advance(30'000);
    EXPECT_EQ(sent.size(), 3u); // and the next poll comes all the same
}

TEST_F(Polling, ReplyAfterStopOrAfterThePollerWentIsIgnored)
{
    poller->start();
    poller->stop();
    answer("00\r");
    clock.advance(60'000);
    EXPECT_TRUE(published.empty());
    EXPECT_EQ(sent.size(), 1u);
    poller->start();
    poller.reset();
    answer("00\r");
    EXPECT_TRUE(published.empty());
}

} // namespace
} // namespace orva::pjlink
