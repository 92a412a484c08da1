// One transaction for a script, on the link, on the virtual clock.
#include "link/exchange.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

using Outcome = Exchange::Outcome;

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.setPortNumber(1);
        ASSERT_TRUE(port.open());
        exchange.setFinishedHandler([this] { ++finishes; });
    }
    const Exchange::Result& result() const { return exchange.result(); }

    VirtualClock clock;
    FakeTimer timer{clock};
    FakePort port;
    Exchange exchange{port, timer, 1000};
    int finishes = 0;
};

TEST_F(ExchangeTest, OneFrameOutAndTheReplyEndsItAtItsCr)
{
    exchange.start("CR0\r", "CR0\r");
    ASSERT_EQ(port.written, std::vector<std::string>{"CR0\r"});
    EXPECT_FALSE(exchange.finished());
    clock.advance(40);
    port.receive("0");
    EXPECT_FALSE(exchange.finished());
    port.receive("0\r");
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(result().outcome, Outcome::Replied);
    EXPECT_TRUE(result().complete);
    EXPECT_EQ(result().reply, "00\r");
    EXPECT_EQ(result().monitorLine, " 0 0  [CR] ");
    EXPECT_EQ(result().status, " Power ON");
    EXPECT_FALSE(timer.isEnabled()); // nothing more to wait for

    // What comes later changes nothing, and nothing more is written.
    port.receive("junk\r");
    clock.advance(5000);
    EXPECT_EQ(result().reply, "00\r");
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(ExchangeTest, CharactersAfterTheCrInTheSamePieceAreKept)
{
    exchange.start("CR3\r", "CR3\r");
    port.receive("00123\r\n");
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(result().reply, "00123\r\n");
    // The window's rule: five digits, CR and LF in one piece are not decoded.
    EXPECT_EQ(result().status, "");
}

TEST_F(ExchangeTest, WhatWaitedBeforeTheWriteIsNotTheReply)
{
    // A device server's greeting, unread when the exchange begins; its
    // receive event comes after the write.
    FakePort greeted;
    ASSERT_TRUE(greeted.setPortNumber(1) && greeted.open());
    greeted.receive("ORVA room 12 projector\r\n\x06\r");
    Exchange e{greeted, timer, 1000};
    e.start("C00\r", "");
    greeted.raise(kCommEventReceive);
    greeted.receive("\x06\r");
    EXPECT_EQ(e.result().reply, "\x06\r");
}

TEST_F(ExchangeTest, NothingBackIsNoReplyAtTheTimeOut)
{
    exchange.start("CR0\r", "CR0\r");
    clock.advance(999);
    EXPECT_FALSE(exchange.finished());
    clock.advance(1);
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(result().outcome, Outcome::NoReply);
    EXPECT_EQ(result().monitorLine, " X X X X");
    EXPECT_EQ(result().reply, "");
    EXPECT_EQ(finishes, 1);
}

TEST_F(ExchangeTest, AReplyWithoutCrIsTakenAsItStandsAtTheTimeOut)
{
    // The link empties its buffer at the tick; the exchange keeps the reply.
    exchange.start("CR LAMPSTS\r", "CR LAMPSTS\r");
    port.receive("000 1I");
    clock.advance(1000);
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(result().outcome, Outcome::Replied);
    EXPECT_FALSE(result().complete);
    EXPECT_EQ(result().reply, "000 1I");
    EXPECT_EQ(result().status, " Lamp is ON");
    EXPECT_EQ(result().monitorLine, " 0 0 0 _ 1 I ");
}

TEST_F(ExchangeTest, SentTextIsNotDecoded)
{
    exchange.start("CR0\r", "");
    port.receive("00\r");
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(result().status, "");
    EXPECT_EQ(result().reply, "00\r");
}

TEST_F(ExchangeTest, TheTimeOutIsTheOneAskedFor)
{
    FakeTimer other{clock};
    Exchange slow{port, other, 5000};
    slow.start("CR0\r", "CR0\r");
    clock.advance(4999);
    EXPECT_FALSE(slow.finished());
    clock.advance(1);
    EXPECT_EQ(slow.result().outcome, Outcome::NoReply);
}

TEST_F(ExchangeTest, AFailedWriteOrAClosedPortIsNotSent)
{
    port.failWrites = true;
    exchange.start("C00\r", "");
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(result().outcome, Outcome::NotSent);
    EXPECT_EQ(result().error, "write failed");
    EXPECT_FALSE(timer.isEnabled());

    FakeTimer other{clock};
    Exchange closed{port, other, 1000};
    port.close();
    closed.start("C00\r", "");
    EXPECT_EQ(closed.result().outcome, Outcome::NotSent);
    EXPECT_EQ(closed.result().error, "the port is closed");
}

TEST_F(ExchangeTest, APortLostBeforeTheCrEndsIt)
{
    exchange.start("CR0\r", "CR0\r");
    port.receive("0");
    port.lose("hung up");
    ASSERT_TRUE(exchange.finished());
    EXPECT_EQ(result().outcome, Outcome::PortLost);
    EXPECT_EQ(result().error, "hung up");
    EXPECT_EQ(finishes, 1);
}

} // namespace
} // namespace orva::test
