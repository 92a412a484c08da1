// One transaction of a program without a window, on the virtual clock.
#include "line/transaction.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

using Kind = LineOutcome::Kind;

class LineTransactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.setPortNumber(1);
        ASSERT_TRUE(port.open());
        port.setListener(&transaction);
    }
    void start(const std::string& frame)
    {
        transaction.start(frame, [this](const LineOutcome&) { ++finishes; });
    }
    const LineOutcome& outcome() const { return transaction.outcome(); }

    VirtualClock clock;
    FakeTimer timer{clock};
    FakePort port;
    LineTransaction transaction{port, timer, clock, 1000};
    int finishes = 0;
};

TEST_F(LineTransactionTest, OneFrameOutAndTheFirstCrEndsItKeepingItsPiece)
{
    // A greeting whose receive event comes after the write: read and dropped before it.
    port.setListener(nullptr);
    port.receive("ORVA room 12 projector\r\n\x06\r");
    port.setListener(&transaction);
    start("CR3\r");
    ASSERT_EQ(port.written, std::vector<std::string>{"CR3\r"});
    EXPECT_EQ(outcome().discarded, 26u);
    clock.advance(40);
    port.receive("001");
    EXPECT_TRUE(transaction.running());
    port.receive("23\r\n");
    ASSERT_FALSE(transaction.running());
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(outcome().kind, Kind::Replied);
    EXPECT_TRUE(outcome().complete);
    EXPECT_EQ(outcome().reply, "00123\r\n");
    EXPECT_FALSE(timer.isEnabled());

    // What comes later is dropped, and nothing more is written.
    port.receive("junk\r");
    clock.advance(5000);
    EXPECT_EQ(outcome().reply, "00123\r\n");
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(LineTransactionTest, TheTimeOutEndsItWithWhatCameOrNoReply)
{
    start("CR LAMPSTS\r");
    port.receive("000 1I");
    clock.advance(1000);
    EXPECT_EQ(outcome().kind, Kind::Replied);
    EXPECT_FALSE(outcome().complete);
    EXPECT_EQ(outcome().reply, "000 1I");

    start("CR0\r");
    clock.advance(999);
    EXPECT_TRUE(transaction.running());
    clock.advance(1);
    EXPECT_EQ(outcome().kind, Kind::NoReply);
    EXPECT_EQ(outcome().reply, "");
    EXPECT_EQ(outcome().reason, "");
    EXPECT_EQ(finishes, 2);
}

TEST_F(LineTransactionTest, AFailedWriteAClosedPortAndALossAreReported)
{
    port.failWrites = true;
    start("C00\r");
    EXPECT_EQ(outcome().kind, Kind::NotSent);
    EXPECT_EQ(outcome().reason, "write failed");
    EXPECT_FALSE(timer.isEnabled());
    port.failWrites = false;

    start("CR0\r");
    port.receive("0");
    port.lose("hung up");
    EXPECT_EQ(outcome().kind, Kind::PortLost);
    EXPECT_EQ(outcome().reason, "hung up");
    EXPECT_EQ(outcome().reply, "0");

    start("C00\r");
    EXPECT_EQ(outcome().kind, Kind::NotSent);
    EXPECT_EQ(outcome().reason, "the port is closed");
    EXPECT_EQ(finishes, 3);
    EXPECT_EQ(port.written.size(), 1u);

    // Lost inside the write: one outcome, the loss.
    ASSERT_TRUE(port.open());
    port.onWrite = [this] { port.lose("unplugged"); };
    start("C00\r");
    EXPECT_EQ(outcome().kind, Kind::PortLost);
    EXPECT_EQ(finishes, 4);
}

TEST_F(LineTransactionTest, ALineThatTakesNoDataGetsNothingMoreQueued)
{
    port.lineTakesData = false;
    start("CR0\r");
    clock.advance(1000);
    EXPECT_EQ(outcome().kind, Kind::NoReply);
    EXPECT_EQ(outcome().reason, "the line is not taking data (4 bytes still wait)");

    start("CR1\r");
    EXPECT_EQ(outcome().kind, Kind::NotSent);
    EXPECT_EQ(outcome().reason, "the line is not taking data (4 bytes of earlier commands still wait)");
    EXPECT_EQ(port.written.size(), 1u);

    // Once it drains, frames go out again; a frame just written is not stuck.
    port.drain();
    start("CR1\r");
    clock.advance(150);
    port.receive("1\r");
    start("CR3\r");
    EXPECT_TRUE(transaction.running());
    EXPECT_EQ(port.written.size(), 3u);
}

TEST_F(LineTransactionTest, AReplyWithoutEndIsHeldToItsLimit)
{
    start("CR0\r");
    port.receive(std::string(LineTransaction::kReplyLimit - 1, 'x'));
    port.receive("yyyy");
    clock.advance(1000);
    EXPECT_EQ(outcome().reply.size(), LineTransaction::kReplyLimit);
    EXPECT_EQ(outcome().reply.back(), 'y');
}

} // namespace
} // namespace orva::test
