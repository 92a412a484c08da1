// A port lost after it was open comes back by itself; everything else about
// opening stays with the operator.
#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

class Reopening : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.startOnPort(3);
        ASSERT_TRUE(rig.port.isOpen());
    }
    // The port goes away (unplugged) and cannot be opened until `back`.
    void lose()
    {
        rig.port.availablePorts.erase(3);
        rig.port.lose("/dev/ttyUSB0: device unplugged");
    }
    void back() { rig.port.availablePorts.insert(3); }
    int tries() const { return rig.port.opens - 1; } // the first open was start-up's
    std::string notice() const { return rig.view.caption("LinkNotice"); }

    Rig rig;
};

TEST_F(Reopening, TriesOnceASecondThenBacksOffToFiveSeconds)
{
    lose();
    EXPECT_NE(notice().find("Port lost: /dev/ttyUSB0: device unplugged"), std::string::npos) << notice();
    EXPECT_NE(notice().find("Trying to reopen it"), std::string::npos) << notice();
    // The moments of the tries, counted from the loss.
    std::vector<std::int64_t> at;
    const std::int64_t lostAt = rig.clock.now();
    for (int ms = 0; ms < 40000; ++ms) {
        const int before = tries();
        rig.clock.advance(1);
        if (tries() != before)
            at.push_back(rig.clock.now() - lostAt);
    }
    const std::vector<std::int64_t> expected{1000, 2000, 3000, 4000, 5000, 7000, 10000, 14000,
                                             19000, 24000, 29000, 34000, 39000};
    EXPECT_EQ(at, expected);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.shell.dialogModal, std::vector<bool>{}); // no dialog, no box
}

TEST_F(Reopening, PortThatComesBackClearsTheNoticeAndTheNextCommandGoesOut)
{
    lose();
    rig.clock.advance(2500);
    rig.link().setPanelCommand("CR0\r");
    rig.link().hyouji("CR0\r", kModeSend);
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_NE(notice().find("Not sent"), std::string::npos);
    EXPECT_NE(notice().find("trying to reopen it"), std::string::npos) << notice();

    back();
    rig.clock.advance(1000);
    ASSERT_TRUE(rig.port.isOpen());
    EXPECT_EQ(notice(), "");
    EXPECT_FALSE(rig.program.reopen().active());
    EXPECT_FALSE(rig.reopenTimer.isEnabled());
    EXPECT_EQ(rig.port.portNumber(), 3); // the same port, as it was
    rig.link().hyouji("CR0\r", kModeSend);
    EXPECT_EQ(rig.port.written, std::vector<std::string>{"CR0\r"});
    EXPECT_EQ(rig.store.writes, 0); // nothing stored: nothing was chosen

    // Lost again later: the schedule starts over at one second.
    const int before = tries();
    lose();
    rig.clock.advance(999);
    EXPECT_EQ(tries(), before);
    rig.clock.advance(1);
    EXPECT_EQ(tries(), before + 1);
}

TEST_F(Reopening, ComEndAndClosingTheWindowStopTheTries)
{
    lose();
    rig.clock.advance(1500);
    rig.panel().click("Command33"); // "COM"
    EXPECT_FALSE(rig.program.reopen().active());
    EXPECT_EQ(rig.shell.dialogModal, std::vector<bool>{false});
    const int atCom = tries();
    back();
    rig.clock.advance(60000);
    EXPECT_EQ(tries(), atCom);
    EXPECT_FALSE(rig.port.isOpen()); // the dialog's to open now
    EXPECT_EQ(notice().find("Trying"), std::string::npos) << notice();

    for (int how = 0; how < 2; ++how) {
        Rig other;
        other.startOnPort(3);
        other.port.availablePorts.erase(3);
        other.port.lose("gone");
        other.clock.advance(1000);
        EXPECT_EQ(other.port.opens, 2);
        if (how == 0)
            other.panel().click("Command16"); // "END"
        else
            other.program.mainWindowClosed();
        other.port.availablePorts.insert(3);
        other.clock.advance(60000);
        EXPECT_EQ(other.port.opens, 2) << how;
        EXPECT_FALSE(other.port.isOpen()) << how;
        EXPECT_EQ(other.shell.quits, 1);
    }
}

TEST_F(Reopening, SlowOpensNeverOverlapAndAnAbandonedOneStaysClosed)
{
    rig.port.asyncOpens = true;
    lose();
    rig.clock.advance(1000);
    EXPECT_TRUE(rig.port.pendingOpen);
    EXPECT_EQ(tries(), 0); // begun, not finished
    rig.clock.advance(10000); // a network open that takes its time
    EXPECT_TRUE(rig.port.pendingOpen);
    rig.port.finishOpen(); // fails: the port is not back
    EXPECT_EQ(tries(), 1);
    EXPECT_FALSE(rig.port.pendingOpen);
    rig.clock.advance(999);
    EXPECT_FALSE(rig.port.pendingOpen); // the next waits a second after the failure
    rig.clock.advance(1);
    EXPECT_TRUE(rig.port.pendingOpen);

    // "COM" while a try is under way: it is abandoned, and whatever the
    // port would have said is not taken for a reopen.
    back();
    rig.panel().click("Command33");
    EXPECT_FALSE(rig.port.pendingOpen);
    rig.port.finishOpen();
    EXPECT_FALSE(rig.port.isOpen());
    rig.clock.advance(30000);
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(ReopeningNever, FailedOpensAtStartUpOrInTheDialogAreNotRetried)
{
    Rig rig;
    rig.port.heldPorts.insert(3);
    rig.startOnPort(3);
    ASSERT_EQ(rig.shell.dialogModal, std::vector<bool>{true});
    const int atStart = rig.port.opens;
    rig.port.heldPorts.clear();
    rig.clock.advance(60000);
    EXPECT_EQ(rig.port.opens, atStart);
    EXPECT_FALSE(rig.program.reopen().active());

    // OK on a port that does not open: the warning, and nothing more.
    rig.port.heldPorts.insert(4);
    PortDialog* dialog = rig.program.portDialog();
    ASSERT_TRUE(dialog);
    dialog->select(6); // COM4
    dialog->ok();
    EXPECT_EQ(rig.shell.dialogView.warnings.size(), 1u);
    const int afterOk = rig.port.opens;
    rig.port.heldPorts.clear();
    rig.clock.advance(60000);
    EXPECT_EQ(rig.port.opens, afterOk);
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(ReopenSchedule, DelaysGrowByASecondAfterTheQuickTries)
{
    const int expected[] = {1000, 1000, 1000, 1000, 1000, 2000, 3000, 4000, 5000, 5000};
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(Reopen::delayBefore(n), expected[n - 1]) << n;
    EXPECT_EQ(Reopen::delayBefore(1000), 5000);
}

} // namespace
} // namespace orva::test
