// The poll of a projector for the metrics, on its real line queue: its
// cadence, one transaction at a time among the clients' commands, and what
// it makes of replies (CR6 read beside the bridge's readers) and their absence.
#include "pjlink/poller.h"

#include "fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orva::pjlink {
namespace {

class Polling : public ::testing::Test {
protected:
    void SetUp() override { port.setPortNumber(1); queue.start(); }
    std::unique_ptr<Poller> make(int seconds)
    {
        return std::make_unique<Poller>(
            clock.makeTimer("poll"), clock, [this] { return 1'700'000'000'000 + clock.now(); }, seconds,
            [this](std::string frame, LineQueue::Done done) { queue.submit(std::move(frame), std::move(done)); },
            [this](const PollSample& s) {
                published.push_back(s);
                publishedAt.push_back(clock.now());
            });
    }
    // The projector answers the frame last written, `ms` later.
    void answer(const std::string& reply, int ms = 20)
    {
        clock.advance(ms);
        port.receive(reply);
        clock.advance(2); // the completion, and the next frame on its way
    }

    test::VirtualClock clock;
    test::FakePort port;
    LineQueue queue{port, clock, 1000, 1};
    std::vector<PollSample> published;
    std::vector<std::int64_t> publishedAt;
    std::unique_ptr<Poller> poller = make(30);
};

TEST_F(Polling, ReadsOneAfterAnotherAmongTheClientsCommandsAndPublishesWhatTheyRead)
{
    poller->start();
    answer("00\r");
    queue.submit("C0B\r", [](const LineReply&) {}); // a PJLink client's, while the poll runs
    for (const char* reply : {"01234\r", "\x06\r", "+25.5 ----- -04.2\r", "000 1I\r"})
        answer(reply);
    EXPECT_EQ(port.written, (std::vector<std::string>{"CR0\r", "CR3\r", "C0B\r", "CR6\r", "CR LAMPSTS\r"}));
    ASSERT_EQ(published.size(), 1u);
    const PollSample& s = published[0];
    EXPECT_TRUE(s.up && s.power == PowerState::On && s.lampHours == 1234 && s.lamp == LampState::On);
    EXPECT_EQ(s.temperatures, (SensorCelsius{25.5, std::nullopt, -4.2})); // "-----" is not a number
    EXPECT_EQ(s.durationMs, publishedAt[0]);
    EXPECT_EQ(s.finishedUnixMs, 1'700'000'000'000 + publishedAt[0]);
}

TEST_F(Polling, EveryIntervalButNeverTwoAtOnce)
{
    poller = make(1);
    poller->start();
    answer("80\r", 600);
    answer("?\r", 600); // the tick at 1 s found this poll waiting for CR3
    EXPECT_EQ(port.written.size(), 3u);
    answer("?\r");
    answer("?\r");
    ASSERT_EQ(published.size(), 1u);
    // Answered, though not in words we know: up, with only the power state read.
    EXPECT_TRUE(published[0].up && published[0].power == PowerState::Standby);
    EXPECT_FALSE(published[0].lampHours || published[0].temperatures[0] || published[0].lamp);
    clock.advance(800); // the next tick, at 2 s
    EXPECT_EQ(port.written.size(), 5u);
    EXPECT_EQ(port.written.back(), "CR0\r");
}

TEST_F(Polling, FirstReadWithoutReplyEndsThePollAsDownAndALostLineToo)
{
    poller->start();
    answer("00\r");
    clock.advance(1100); // no reply to CR3 within the time-out
    ASSERT_EQ(published.size(), 1u);
    EXPECT_FALSE(published[0].up || published[0].power); // a poll that is down says nothing of the projector

    port.availablePorts.clear();
    port.lose("the device server hung up");
    clock.advance(30'000);
    ASSERT_EQ(published.size(), 2u);
    EXPECT_FALSE(published[1].up);
    EXPECT_EQ(port.written.size(), 2u); // nothing more went out after the CR3 left unanswered
}

TEST_F(Polling, AReadStuckBehindABusyLineIsDownAfterThreeIntervalsAndNeverQueuedTwice)
{
    poller = make(1);
    for (int i = 0; i < 10; ++i) // clients' commands the projector ignores: a second each
        queue.submit("C0B\r", [](const LineReply&) {});
    poller->start();
    clock.advance(2999);
    EXPECT_TRUE(published.empty());
    clock.advance(1);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_FALSE(published[0].up || published[0].power);
    EXPECT_EQ(published[0].durationMs, 3000);

    clock.advance(7100); // the commands time out one by one; the poll's read goes out at last
    EXPECT_EQ(port.written.back(), "CR0\r");
    EXPECT_EQ(std::count(port.written.begin(), port.written.end(), "CR0\r"), 1);
    answer("00\r"); // too old to tell
    EXPECT_EQ(published.size(), 1u);
    clock.advance(1000); // the next tick polls afresh
    for (const char* reply : {"00\r", "01234\r", "+25.5 +26.0 +27.0\r", "000 1I\r"})
        answer(reply);
    ASSERT_EQ(published.size(), 2u);
    EXPECT_TRUE(published[1].up && published[1].lampHours == 1234);
}

TEST_F(Polling, ReplyAfterStopOrAfterThePollerWentIsIgnored)
{
    poller->start();
    poller->stop();
    answer("00\r");
    clock.advance(60'000);
    EXPECT_TRUE(published.empty());
    EXPECT_EQ(port.written.size(), 1u);
    poller->start();
    clock.advance(5);
    poller.reset();
    answer("00\r");
    EXPECT_TRUE(published.empty());
}

} // namespace
} // namespace orva::pjlink
