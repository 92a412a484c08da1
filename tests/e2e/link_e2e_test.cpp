// The real Qt serial layer and timers against the projector simulator on a
// pseudo-terminal.
#include "live_program.h"
#include "lock_holder.h"
#include "qt_wait.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <memory>

namespace orva::test {
namespace {

class EndToEnd : public ::testing::Test {
protected:
    void start(QStringList options = {})
    {
        sim = std::make_unique<Simulator>(options);
        ASSERT_TRUE(sim->started()) << "simulator did not start";
        live = std::make_unique<LiveProgram>(sim->device());
        live->program.formLoad();
        ASSERT_TRUE(live->port.isOpen()) << live->port.errorText();
    }
    Link& link() { return live->link(); }

    std::unique_ptr<Simulator> sim;
    std::unique_ptr<LiveProgram> live;
};

TEST_F(EndToEnd, StatusReadIsAnsweredAndDecoded)
{
    start();
    live->click("Command44"); // "Status"
    EXPECT_EQ(link().sentLine(), " C R 0  [CR] ");
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == " 8 0  [CR] "; }))
        << link().receivedLine();
    EXPECT_EQ(link().status(), " Stand by");
    // The time-out ends the transaction, the clear tick empties the monitor.
    ASSERT_TRUE(waitFor([&] { return !live->timer4.isEnabled(); }));
    EXPECT_EQ(link().receivedLine(), "");
    EXPECT_EQ(link().status(), "");
}

TEST_F(EndToEnd, SetCommandGetsAnAcknowledge)
{
    start();
    live->click("Command17"); // "On": C00
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == "  [ACK]  [CR] "; }))
        << link().receivedLine();
}

TEST_F(EndToEnd, ReplyInPiecesEndsAsTheWholeReply)
{
    start({"--split", "1", "--gap", "15"});
    live->click("Command55"); // "Lamp Status"
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == " 0 0 0 _ 1 O  [CR] "; }))
        << link().receivedLine();
    EXPECT_EQ(link().status(), " Lamp is OFF");
}

TEST_F(EndToEnd, TemperaturesAndLampTimeArriveWhole)
{
    start();
    live->click("Command54"); // "Temp"
    ASSERT_TRUE(waitFor([&] { return link().status().find("deg C") != std::string::npos; }));
    EXPECT_EQ(link().status().size(), 10u + 7 + 9 + 7 + 9 + 7);
    live->click("Command46"); // "Lamp Time"
    ASSERT_TRUE(waitFor([&] { return link().status().find("Hour Use") != std::string::npos; }))
        << link().receivedLine();
}

TEST_F(EndToEnd, NoReplyShowsTheMark)
{
    start({"--no-reply"});
    live->click("Command44");
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == " X X X X"; }));
    EXPECT_FALSE(link().awaitingReply());
}

TEST_F(EndToEnd, LateReplyFollowsTheMark)
{
    start({"--late", "1500"});
    live->click("Command44");
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == " X X X X"; }));
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == " 8 0  [CR] "; })) << link().receivedLine();
}

TEST_F(EndToEnd, PortHeldByAnotherProgramIsRefused)
{
    sim = std::make_unique<Simulator>();
    ASSERT_TRUE(sim->started());
    LiveProgram first(sim->device());
    first.program.formLoad();
    ASSERT_TRUE(first.port.isOpen());

    LiveProgram second(sim->device());
    second.program.formLoad();
    EXPECT_FALSE(second.port.isOpen());
    EXPECT_EQ(second.shell.dialogModal, std::vector<bool>{true});

    // The first goes on working.
    first.click("Command44");
    ASSERT_TRUE(waitFor([&] { return first.link().status() == " Stand by"; }));
}

TEST_F(EndToEnd, PortLockedByAnotherProcessIsRefused)
{
    sim = std::make_unique<Simulator>();
    ASSERT_TRUE(sim->started());
    const LockHolder holder(sim->device());
    ASSERT_TRUE(holder.holding());
    LiveProgram program(sim->device());
    program.program.formLoad();
    EXPECT_FALSE(program.port.isOpen());
    EXPECT_EQ(program.shell.dialogModal, std::vector<bool>{true});
}

TEST_F(EndToEnd, HangUpMidTransactionIsReportedAndComReopens)
{
    start({"--hangup-after", "1"});
    live->click("Command44");
    ASSERT_TRUE(waitFor([&] { return !live->port.isOpen(); }));
    EXPECT_NE(link().notice().find("Port lost"), std::string::npos) << link().notice();
    // Still alive: a send is reported, not fatal.
    live->click("Command44");
    EXPECT_NE(link().notice().find("Not sent"), std::string::npos);
    // A new projector on a new line; COM opens it.
    sim = std::make_unique<Simulator>();
    ASSERT_TRUE(sim->started());
    live->store.values["Ports/COM1"] = sim->device();
    live->click("Command33");
    ASSERT_NE(live->program.portDialog(), nullptr);
    live->program.portDialog()->ok();
    ASSERT_TRUE(live->port.isOpen()) << live->port.errorText();
    EXPECT_EQ(link().notice(), "");
    // The panel pauses for a double click's time after the dialog closed.
    ASSERT_TRUE(waitFor([&] { return !live->program.panel().ignoringPresses(); }));
    live->click("Command44");
    ASSERT_TRUE(waitFor([&] { return link().status() == " Stand by"; }));
}

TEST_F(EndToEnd, ComThenCancelReturnsToTheSamePort)
{
    start();
    live->click("Command33"); // "COM": the port closes, the dialog opens
    EXPECT_FALSE(live->port.isOpen());
    ASSERT_NE(live->program.portDialog(), nullptr);
    live->click("Command44"); // the panel stays usable: reported, not sent
    EXPECT_NE(link().notice().find("Not sent"), std::string::npos);
    live->program.portDialog()->optionClick(1); // 9600, not applied by Cancel
    live->program.portDialog()->cancel();
    ASSERT_TRUE(live->port.isOpen()) << live->port.errorText();
    EXPECT_EQ(live->port.baudRate(), 19200);
    EXPECT_EQ(live->store.writes, 0);
    ASSERT_TRUE(waitFor([&] { return !live->program.panel().ignoringPresses(); }));
    live->click("Command44");
    ASSERT_TRUE(waitFor([&] { return link().status() == " Stand by"; }));
}

} // namespace
} // namespace orva::test
