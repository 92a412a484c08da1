// The transaction and the line monitor on the virtual clock.
#include "fakes.h"
#include "link/render.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

class Transaction : public ::testing::Test {
protected:
    void SetUp() override { rig.startOnPort(); }
    void send(const std::string& command)
    {
        rig.link().setPanelCommand(command + "\r");
        rig.link().hyouji(rig.link().panelCommand(), kModeSend);
    }
    const std::string& received() { return rig.link().receivedLine(); }
    Rig rig;
};

TEST_F(Transaction, SendWritesTheFrameAndShowsItOnTheSentLine)
{
    send("CR0");
    ASSERT_EQ(rig.port.written.size(), 1u);
    EXPECT_EQ(rig.port.written[0], "CR0\r");
    EXPECT_EQ(rig.view.caption("Label11"), " C R 0  [CR] ");
    EXPECT_TRUE(rig.link().awaitingReply());
    EXPECT_TRUE(rig.timer2.isEnabled());
    EXPECT_TRUE(rig.timer4.isEnabled());
    EXPECT_TRUE(rig.link().crLegendVisible());
    EXPECT_FALSE(rig.link().spaceLegendVisible());
}

TEST_F(Transaction, ReplyIsShownAndDecoded)
{
    send("CR0");
    rig.port.receive("00\r");
    EXPECT_EQ(rig.view.caption("Label12"), " 0 0  [CR] ");
    EXPECT_EQ(rig.view.caption("Label25"), " Power ON");
    EXPECT_FALSE(rig.link().awaitingReply());
    // The time-out ends the transaction but keeps the reply on show.
    rig.clock.advance(1000);
    EXPECT_EQ(received(), " 0 0  [CR] ");
    EXPECT_FALSE(rig.link().crLegendVisible());
    EXPECT_TRUE(rig.link().buffer().empty());
    // The clear tick empties the monitor 1200 ms after the send.
    rig.clock.advance(199);
    EXPECT_EQ(rig.link().status(), " Power ON");
    rig.clock.advance(1);
    EXPECT_EQ(rig.link().sentLine(), "");
    EXPECT_EQ(received(), "");
    EXPECT_EQ(rig.link().status(), "");
    EXPECT_FALSE(rig.timer4.isEnabled());
}

TEST_F(Transaction, NoReplyShowsTheMarkUntilTheClear)
{
    send("C00");
    rig.clock.advance(999);
    EXPECT_EQ(received(), "");
    rig.clock.advance(1);
    EXPECT_EQ(received(), " X X X X");
    EXPECT_FALSE(rig.timer2.isEnabled());
    rig.clock.advance(200);
    EXPECT_EQ(received(), "");
}

TEST_F(Transaction, EmptySendWritesNothingButTimesOut)
{
    rig.link().hyouji("", kModeSend);
    ASSERT_EQ(rig.port.written.size(), 1u);
    EXPECT_EQ(rig.port.written[0], "");
    EXPECT_EQ(rig.link().sentLine(), " ");
    rig.clock.advance(1000);
    EXPECT_EQ(received(), " X X X X");
}

TEST_F(Transaction, ReplyInPiecesIsRenderedFromTheStartEachTime)
{
    send("CR0");
    rig.port.receive("0");
    EXPECT_EQ(received(), " 0 ");
    EXPECT_EQ(rig.link().status(), "");
    rig.port.receive("0\r");
    EXPECT_EQ(received(), " 0 0  [CR] ");
    EXPECT_EQ(rig.link().status(), " Power ON");
}

TEST_F(Transaction, LateReplyStartsANewBuffer)
{
    send("CR0");
    rig.clock.advance(1000);
    EXPECT_EQ(received(), " X X X X");
    rig.port.receive("\r");
    EXPECT_EQ(received(), "  [CR] ");
    EXPECT_TRUE(rig.link().crLegendVisible()); // until the next time-out
}

TEST_F(Transaction, IdleTextAccumulatesUntilTheNextSend)
{
    rig.port.receive("ab");
    rig.port.receive("c");
    EXPECT_EQ(received(), " a b c ");
    EXPECT_FALSE(rig.timer2.isEnabled());
    send("C00");
    EXPECT_EQ(received(), "");
    rig.port.receive("d");
    EXPECT_EQ(received(), " d ");
}

TEST_F(Transaction, SendDuringAReplyTakesTheRestAsTheNewReply)
{
    send("CR0");
    rig.port.receive("0");
    send("CR1");
    rig.port.receive("0\r");
    EXPECT_EQ(received(), " 0  [CR] ");
    EXPECT_EQ(rig.link().status(), ""); // "0" is no input
}

TEST_F(Transaction, ResendRestartsTheTimeOut)
{
    send("C00");
    rig.clock.advance(900);
    send("C00");
    rig.clock.advance(900);
    EXPECT_EQ(received(), "");
    rig.clock.advance(100);
    EXPECT_EQ(received(), " X X X X");
}

TEST_F(Transaction, StatusSurvivesTheNextSendUntilTheClear)
{
    send("CR0");
    rig.port.receive("80\r");
    send("C00");
    EXPECT_EQ(rig.link().status(), " Stand by");
    rig.clock.advance(1200);
    EXPECT_EQ(rig.link().status(), "");
}

TEST_F(Transaction, LampTimeOnlyAtTheEventThatMakesSixCharacters)
{
    send("CR3");
    rig.port.receive("00123\r\n"); // seven at once: never six
    EXPECT_EQ(rig.link().status(), "");
    send("CR3");
    rig.port.receive("00123\r");
    rig.port.receive("\n");
    EXPECT_EQ(rig.link().status(), "     1 2 3   Hour Use");
    // A second reading before the clear is appended.
    send("CR3");
    rig.port.receive("00001\r");
    EXPECT_EQ(rig.link().status(), "     1 2 3   Hour Use" + std::string(9, ' ') + "1   Hour Use");
}

TEST_F(Transaction, DecodingFollowsThePanelCommandNotTheLastWrite)
{
    send("CR1");
    rig.link().hyouji("CR LAMPSTS\r", kModeSend); // as the reference window sends
    rig.port.receive("3\r");
    EXPECT_EQ(rig.link().status(), " Input 3");
    EXPECT_EQ(rig.link().panelCommand(), "CR1\r");
}

TEST_F(Transaction, SpaceLegendFollowsTheRendering)
{
    send("CR LAMPSTS");
    EXPECT_TRUE(rig.link().spaceLegendVisible());
    EXPECT_TRUE(rig.view.isVisible("Label27"));
    rig.clock.advance(1000);
    EXPECT_FALSE(rig.link().spaceLegendVisible());
    EXPECT_FALSE(rig.view.isVisible("Label27"));
    EXPECT_FALSE(rig.view.isVisible("Label28"));
}

TEST_F(Transaction, LineEventsAreIgnored)
{
    send("CR0");
    rig.port.raise(1001);
    EXPECT_TRUE(rig.link().awaitingReply());
    // A receive event with nothing waiting changes nothing either.
    rig.port.raise(kCommEventReceive);
    EXPECT_TRUE(rig.link().awaitingReply());
    EXPECT_EQ(received(), "");
}

TEST_F(Transaction, BufferStopsAtItsLimit)
{
    const std::string chunk(4096, 'A');
    for (int i = 0; i < 10; ++i)
        rig.port.receive(chunk);
    EXPECT_EQ(rig.link().buffer().size(), Link::kBufferLimit);
    EXPECT_EQ(rig.link().droppedCharacters(), 10u * 4096u - Link::kBufferLimit);
    EXPECT_EQ(received().size(), 1 + 2 * Link::kBufferLimit);
    EXPECT_FALSE(rig.link().notice().empty());
    // The next send starts afresh.
    send("C00");
    rig.port.receive("\x06\r");
    EXPECT_EQ(received(), "  [ACK]  [CR] ");
}

TEST_F(Transaction, SendOnAClosedPortIsShownAndReportedWithoutWriting)
{
    rig.port.close();
    send("C00");
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_EQ(rig.link().sentLine(), " C 0 0  [CR] ");
    // Collapsed, as start-up leaves it: the notice says how to reach COM,
    // and says it as it is whenever the height changes.
    EXPECT_EQ(rig.link().notice(), "Not sent: the port is closed. Press Ctrl+H, then COM to choose a port.");
    EXPECT_EQ(rig.view.caption("LinkNotice"), rig.link().notice());
    rig.program.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(rig.view.caption("LinkNotice"), "Not sent: the port is closed. Press COM to choose a port.");
    rig.program.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(rig.view.caption("LinkNotice"), "Not sent: the port is closed. Press Ctrl+H, then COM to choose a port.");
    rig.clock.advance(1000);
    EXPECT_EQ(received(), " X X X X");
}

TEST_F(Transaction, FailedWriteAndLostPortAreReported)
{
    rig.port.failWrites = true;
    send("C00");
    EXPECT_NE(rig.link().notice().find("write failed"), std::string::npos);
    rig.port.failWrites = false;
    send("C00");
    EXPECT_EQ(rig.link().notice(), "");

    rig.port.lose("the other end hung up");
    EXPECT_NE(rig.link().notice().find("hung up"), std::string::npos);
    EXPECT_FALSE(rig.port.isOpen());
    // Later sends say why nothing goes out, until a port opens again.
    send("C00");
    EXPECT_NE(rig.link().notice().find("lost (the other end hung up)"), std::string::npos);
    rig.link().portOpened();
    EXPECT_EQ(rig.link().notice(), "");
}

// Piece by piece the received line only grows, so the view is handed the
// new tokens; whatever comes between (a send, the time-out mark, the clear)
// it is given the whole line again. Its copy is always the model's caption.
TEST_F(Transaction, ReceivedLineGrowsByTheTokensOfEachPiece)
{
    auto shownAsModel = [this] {
        return rig.view.caption("Label12") == received() && rig.view.appendMismatches == 0;
    };
    send("CR0");
    std::string all;
    for (int i = 0; i < 300; ++i) {
        const std::string piece(1, static_cast<char>((i * 37) % 256));
        all += piece;
        rig.port.receive(piece);
        ASSERT_TRUE(shownAsModel()) << "piece " << i;
    }
    EXPECT_EQ(received(), renderMonitorLine(all).line);
    EXPECT_EQ(rig.view.appends, 299); // the first piece replaced the empty line

    rig.clock.advance(1000); // time-out: the line keeps the reply
    rig.port.receive("00"); // a late reply starts a new line
    EXPECT_EQ(received(), " 0 0 ");
    rig.port.receive("\r");
    EXPECT_TRUE(shownAsModel());
    send("CR0");
    rig.clock.advance(1000);
    EXPECT_EQ(received(), " X X X X");
    rig.port.receive("8");
    rig.port.receive("0");
    EXPECT_EQ(received(), " 8 0 ");
    EXPECT_TRUE(shownAsModel());
    rig.clock.advance(200); // the clear tick
    rig.port.receive("Z");
    EXPECT_EQ(received(), " 8 0 Z ");
    EXPECT_TRUE(shownAsModel());
}

TEST_F(Transaction, LineThatTakesNoDataQueuesNothingOlderThanTheBound)
{
    rig.port.lineTakesData = false;
    send("C09"); // waits in the port
    rig.clock.advance(150);
    send("C09"); // the first is 150 ms old: within the bound, queued behind it
    EXPECT_EQ(rig.port.written.size(), 2u);
    EXPECT_EQ(rig.link().notice(), "");

    rig.clock.advance(50); // the first send is 200 ms old and still waits
    send("C0A");
    EXPECT_EQ(rig.port.written.size(), 2u);
    // Shown all the same, with its transaction, and said why it stayed.
    EXPECT_EQ(rig.link().sentLine(), " C 0 A  [CR] ");
    EXPECT_TRUE(rig.link().awaitingReply());
    EXPECT_TRUE(rig.timer2.isEnabled());
    EXPECT_EQ(rig.link().notice(), "Not sent: the line is not taking data (8 bytes of earlier commands still "
                                   "wait). Check the cable and the device at the other end.");
    EXPECT_EQ(rig.view.caption("LinkNotice"), rig.link().notice());
    rig.clock.advance(1000);
    send("C0A");
    EXPECT_EQ(rig.port.written.size(), 2u);

    // The line takes data again: the next send goes out, the notice goes.
    rig.port.drain();
    rig.port.lineTakesData = true;
    send("C0A");
    EXPECT_EQ(rig.port.written.size(), 3u);
    EXPECT_EQ(rig.link().notice(), "");
}

TEST_F(Transaction, QuickSendsOnALineThatDrainsAllGoOut)
{
    rig.port.lineTakesData = false;
    send("C00");
    send("C00"); // at once: both queued
    EXPECT_EQ(rig.port.written.size(), 2u);
    rig.clock.advance(100);
    send("C01");
    EXPECT_EQ(rig.port.written.size(), 3u);
    // The first two leave; what waits now is 150 ms old, not 250.
    rig.clock.advance(150);
    rig.port.unsent = 4;
    send("C01");
    EXPECT_EQ(rig.port.written.size(), 4u);
    EXPECT_EQ(rig.link().notice(), "");
}

TEST_F(Transaction, ReopenedPortStartsWithNothingWaiting)
{
    rig.port.lineTakesData = false;
    send("C00");
    rig.clock.advance(300);
    rig.port.lose("unplugged");
    rig.port.open();
    rig.link().portOpened();
    send("C00");
    rig.clock.advance(100);
    send("C00");
    EXPECT_EQ(rig.port.written.size(), 3u);
    EXPECT_EQ(rig.link().notice(), "");
}

} // namespace
} // namespace orva::test
