// The projector's line shared by every PJLink client, on the virtual clock.
#include "pjlink/line_queue.h"
#include "pjlink/mapping.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::pjlink {
namespace {

using Kind = LineReply::Kind;

class LineQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.setPortNumber(1);
        queue.setObserver([this](const std::string& frame, const LineReply&) { observed.push_back(frame); });
        queue.setEventHandler([this](LineQueue::LineEvent e, const std::string&) { events.push_back(e); });
        queue.start();
    }
    LineQueue::Done record(std::string tag)
    {
        return [this, tag](const LineReply& r) { finished.emplace_back(tag, r); };
    }

    test::VirtualClock clock;
    test::FakePort port;
    LineQueue queue{port, clock, 1000, 1};
    std::vector<std::pair<std::string, LineReply>> finished;
    std::vector<std::string> observed;
    std::vector<LineQueue::LineEvent> events;
};

TEST_F(LineQueueTest, OneTransactionAtATimeInOrderSoRepliesNeverCross)
{
    ASSERT_TRUE(queue.lineUp());
    queue.submit("CR0\r", record("a"));
    queue.submit("CR3\r", record("b"));
    queue.submit("C00\r", record("c"));
    EXPECT_TRUE(finished.empty()); // never inside submit
    clock.advance(1);
    ASSERT_EQ(port.written, std::vector<std::string>{"CR0\r"});
    clock.advance(300);
    EXPECT_EQ(port.written.size(), 1u); // the second waits for the first's reply
    port.receive("00\r");
    clock.advance(1);
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1], "CR3\r");
    // No reply: the time-out ends it, and the next goes out.
    clock.advance(1000);
    clock.advance(1);
    ASSERT_EQ(port.written.size(), 3u);
    port.receive("\x06\r");
    clock.advance(1);

    ASSERT_EQ(finished.size(), 3u);
    EXPECT_EQ(finished[0].first, "a");
    EXPECT_EQ(finished[0].second.kind, Kind::Replied);
    EXPECT_EQ(readPowerState(finished[0].second.reply), PowerState::On);
    EXPECT_EQ(finished[1].second.kind, Kind::NoReply);
    EXPECT_EQ(finished[2].second.reply, "\x06\r");
    EXPECT_EQ(observed, (std::vector<std::string>{"CR0\r", "CR3\r", "C00\r"}));
}

TEST_F(LineQueueTest, StrayCharactersBeforeASendAreNoReply)
{
    port.receive("80\r");
    queue.submit("CR0\r", record("a"));
    clock.advance(1);
    port.receive("20\r");
    clock.advance(1);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(readPowerState(finished[0].second.reply), PowerState::CoolingDown);
}

TEST_F(LineQueueTest, ALostLineAnswersErrorAtOnceUntilReopened)
{
    queue.submit("CR0\r", record("during"));
    clock.advance(1);
    port.lose("hung up");
    EXPECT_FALSE(queue.lineUp());
    queue.submit("CR0\r", record("down"));
    clock.advance(5);
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_EQ(finished[0].second.kind, Kind::PortLost);
    EXPECT_EQ(finished[1].second.kind, Kind::NotSent);
    EXPECT_EQ(port.written.size(), 1u); // nothing written while down

    // Lost while idle, too: seen by the queue itself.
    clock.advance(1000); // the reopen's first try
    ASSERT_TRUE(queue.lineUp());
    port.lose("unplugged");
    EXPECT_FALSE(queue.lineUp());
    clock.advance(1000);
    EXPECT_TRUE(queue.lineUp());
    EXPECT_EQ(events, (std::vector<LineQueue::LineEvent>{LineQueue::LineEvent::Opened, LineQueue::LineEvent::Lost,
                                                         LineQueue::LineEvent::Reopened, LineQueue::LineEvent::Lost,
                                                         LineQueue::LineEvent::Reopened}));
    queue.submit("CR0\r", record("back"));
    clock.advance(1);
    EXPECT_EQ(port.written.size(), 2u);
}

TEST_F(LineQueueTest, AFirstOpenThatFailsKeepsTrying)
{
    test::FakePort absent;
    absent.setPortNumber(2);
    absent.availablePorts = {};
    LineQueue other(absent, clock, 1000, 1);
    other.start();
    EXPECT_FALSE(other.lineUp());
    absent.availablePorts = {2};
    clock.advance(1000);
    EXPECT_TRUE(other.lineUp());
}

TEST_F(LineQueueTest, AGoneCallersTransactionIsNotSentAndTheQueueHoldsABoundedNumber)
{
    bool here = true;
    const Caller gone{"x", [] { return false; }};
    queue.submit("CR0\r", record("first"));
    for (int i = 0; i < 500; ++i)
        queue.submit("CR0\r", record("gone"), gone);
    queue.submit("CR1\r", record("next"), Caller{"y", [&] { return here; }});
    clock.advance(1);
    port.receive("00\r");
    clock.advance(1);
    EXPECT_EQ(port.written, (std::vector<std::string>{"CR0\r", "CR1\r"}));
    EXPECT_EQ(queue.dropped(), 500u);
    port.receive("1\r");
    clock.advance(1);
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_EQ(finished[1].first, "next");

    // Bounded: a source's own part, then the whole.
    for (std::size_t i = 0; i < LineQueue::kMaxWaitingPerSource; ++i) {
        EXPECT_TRUE(queue.admits("x"));
        queue.submit("CR0\r", record("x"), Caller{"x", {}});
    }
    EXPECT_FALSE(queue.admits("x"));
    EXPECT_TRUE(queue.admits("y"));
    while (queue.waiting() < LineQueue::kMaxWaiting)
        queue.submit("CR0\r", record("p"));
    EXPECT_FALSE(queue.admits("y"));
    EXPECT_FALSE(queue.admits(""));
}

} // namespace
} // namespace orva::pjlink
