// One transaction of a program without a window, on the virtual clock.
#include "line/transaction.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

using Kind = LineOutcome::Kind;

class LineTransactionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.setPortNumber(1) && port.open()); }
    const LineOutcome& start(const std::string& frame)
    {
        port.setListener(&transaction);
        transaction.start(frame, [this](const LineOutcome&) { ++finishes; });
        return transaction.outcome();
    }

    VirtualClock clock;
    FakeTimer timer{clock};
    FakePort port;
    LineTransaction transaction{port, timer, clock, 1000};
    int finishes = 0;
};

TEST_F(LineTransactionTest, TheFirstCrEndsItWithItsWholePieceAndWhatWaitedBeforeIsDropped)
{
    port.receive("ORVA room 12\r\n\x06\r"); // a greeting whose receive event comes after the write
    const LineOutcome& r = start("CR3\r");
    EXPECT_EQ(r.discarded, 16u);
    port.receive("001");
    EXPECT_TRUE(transaction.running());
    port.receive("23\r\n");
    EXPECT_TRUE(r.kind == Kind::Replied && r.complete);
    port.receive("junk\r"); // later: nobody asked
    clock.advance(5000);
    EXPECT_EQ(r.reply, "00123\r\n");
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(port.written, std::vector<std::string>{"CR3\r"});
}

TEST_F(LineTransactionTest, TheTimeOutTakesWhatCameOrIsNoReply)
{
    start("CR LAMPSTS\r");
    port.receive("000 1I");
    clock.advance(1000);
    EXPECT_TRUE(transaction.outcome().kind == Kind::Replied && !transaction.outcome().complete);
    EXPECT_EQ(transaction.outcome().reply, "000 1I");

    start("CR0\r");
    clock.advance(999);
    EXPECT_TRUE(transaction.running());
    clock.advance(1);
    EXPECT_EQ(transaction.outcome().kind, Kind::NoReply);
}

TEST_F(LineTransactionTest, FailedWritesClosedPortsAndLossesAreReportedOnce)
{
    port.failWrites = true;
    EXPECT_EQ(start("C00\r").reason, "write failed");
    port.failWrites = false;
    start("CR0\r");
    port.receive("0");
    port.lose("hung up");
    EXPECT_TRUE(transaction.outcome().kind == Kind::PortLost && transaction.outcome().reason == "hung up");
    EXPECT_EQ(start("C00\r").reason, "the port is closed");

    ASSERT_TRUE(port.open());
    port.onWrite = [this] { port.lose("unplugged"); };
    EXPECT_EQ(start("C00\r").kind, Kind::PortLost); // inside the write
    EXPECT_EQ(finishes, 4);
}

TEST_F(LineTransactionTest, ALineThatTakesNoDataGetsNothingMoreQueuedUntilItDrains)
{
    port.lineTakesData = false;
    start("CR0\r");
    clock.advance(1000);
    EXPECT_EQ(transaction.outcome().reason, "the line is not taking data (4 bytes still wait)");
    EXPECT_EQ(start("CR1\r").reason, "the line is not taking data (4 bytes of earlier commands still wait)");
    port.drain();
    start("CR1\r");
    clock.advance(150);
    port.receive("1\r");
    start("CR3\r"); // a frame sent just now is no stall
    EXPECT_EQ(port.written, (std::vector<std::string>{"CR0\r", "CR1\r", "CR3\r"}));

    // What a reply without end may hold is bounded.
    port.receive(std::string(kReplyLimit + 5, 'x'));
    clock.advance(1000);
    EXPECT_EQ(transaction.outcome().reply.size(), kReplyLimit);
}

} // namespace
} // namespace orva::test
