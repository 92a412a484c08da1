// The command list window and the main window's "Command Table".
#include "fakes.h"
#include "reference/catalogues.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

class CommandList : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.startOnPort();
        rig.panel().click("Command74");
    }
    ReferenceWindow& window()
    {
        ReferenceWindow* w = rig.program.referenceWindow();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    FakeReferenceView& view() { return rig.shell.referenceView; }
    int indexOf(int list, std::string_view command)
    {
        const auto entries = list == 1 ? basicCatalogue()
                             : list == 2 ? expandedSetCatalogue()
                                         : expandedReadCatalogue();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (commandTextOf(entries[i]) == command)
                return static_cast<int>(i);
        }
        ADD_FAILURE() << "no entry " << command;
        return 0;
    }
    Rig rig;
};

TEST_F(CommandList, OpensOnTheFirstBasicEntry)
{
    EXPECT_EQ(view().outerHeight, 2500);
    EXPECT_TRUE(view().visible["Combo1"]);
    EXPECT_FALSE(view().visible["Combo2"]);
    EXPECT_FALSE(view().visible["Combo3"]);
    EXPECT_TRUE(view().visible["Label2"]);
    EXPECT_FALSE(view().visible["Label1"]);
    EXPECT_EQ(view().current["Combo1"], 0);
    EXPECT_EQ(view().captions["Text1"], "C00[CR]");
    EXPECT_EQ(window().composed(), "C00\r");
    EXPECT_EQ(view().tops["Combo2"], 1560);
    EXPECT_EQ(view().focus, "Combo1");
    // The main window: status frame hidden, long timers.
    EXPECT_FALSE(rig.view.isVisible("Frame15"));
    EXPECT_EQ(rig.timer2.interval(), 5000);
    EXPECT_EQ(rig.timer4.interval(), 5500);

    window().sendCommand();
    EXPECT_EQ(rig.port.written.back(), "C00\r");
}

TEST_F(CommandList, PickInTheBasicListDerivesTheCommand)
{
    window().pick(ReferenceWindow::kBasic, indexOf(1, "CR3"));
    EXPECT_EQ(view().captions["Text1"], "CR3[CR]");
    EXPECT_EQ(window().composed(), "CR3\r");
    EXPECT_TRUE(window().crHintVisible());
}

TEST_F(CommandList, PlaceholderEntriesShowTheHintAndTakeTheFocus)
{
    window().switchList(ReferenceWindow::kExpandedSet);
    EXPECT_FALSE(window().parameterHintVisible());
    window().pick(ReferenceWindow::kExpandedSet, indexOf(2, "CF BRIGHT 0%%"));
    EXPECT_EQ(view().captions["Text1"], "CF BRIGHT 0%%[CR]");
    EXPECT_TRUE(window().parameterHintVisible());
    EXPECT_EQ(view().focus, "Text1");
    window().editChange("CF BRIGHT 042[CR]");
    EXPECT_EQ(window().composed(), "CF BRIGHT 042\r");

    // A "%" in the description alone counts too.
    window().pick(ReferenceWindow::kExpandedSet, 0);
    EXPECT_FALSE(window().parameterHintVisible());
    window().pick(ReferenceWindow::kExpandedSet, indexOf(2, "CF INPUT2 ANALOG"));
    EXPECT_TRUE(window().parameterHintVisible());

    // The hint outlasts a switch to the basic list, until SEND.
    window().switchList(ReferenceWindow::kBasic);
    EXPECT_TRUE(window().parameterHintVisible());
    window().sendCommand();
    EXPECT_FALSE(window().parameterHintVisible());
    EXPECT_FALSE(window().crHintVisible());
}

TEST_F(CommandList, EditRuleCutsAtTheFirstBracket)
{
    window().editChange("C0B");
    EXPECT_EQ(window().composed(), "C0B\r");
    window().editChange("C0B[CR]junk[x");
    EXPECT_EQ(window().composed(), "C0B\r");
    window().editChange("[CR]");
    EXPECT_EQ(window().composed(), "\r");
    window().editChange("");
    EXPECT_EQ(window().composed(), "\r");
    window().sendCommand();
    EXPECT_EQ(rig.port.written.back(), "\r");
}

TEST_F(CommandList, OddEntriesOfTheLists)
{
    window().switchList(ReferenceWindow::kExpandedSet);
    window().pick(ReferenceWindow::kExpandedSet, indexOf(2, "CF MIC OFF"));
    EXPECT_EQ(window().composed(), "CF MIC OFF\r");

    window().switchList(ReferenceWindow::kExpandedRead);
    window().pick(ReferenceWindow::kExpandedRead, 95); // the single blank
    EXPECT_EQ(window().composed(), " \r");
    EXPECT_EQ(view().captions["Text1"], " [CR]");
    window().pick(ReferenceWindow::kExpandedRead, 90); // an empty entry
    EXPECT_EQ(window().composed(), "\r");
    EXPECT_EQ(view().captions["Text1"], "[CR]");
}

TEST_F(CommandList, SendRestartsBothTimersAndLeavesThePanelCommand)
{
    rig.panel().click("Command45"); // "Input Mode": the panel command is CR1
    rig.clock.advance(4000);
    window().pick(ReferenceWindow::kBasic, indexOf(1, "CR0"));
    window().sendCommand();
    EXPECT_EQ(rig.link().panelCommand(), "CR1\r");
    rig.port.receive("3\r");
    EXPECT_EQ(rig.link().status(), " Input 3"); // decoded as an input reply
    rig.clock.advance(4999);
    EXPECT_TRUE(rig.timer2.isEnabled());
    rig.clock.advance(1);
    EXPECT_FALSE(rig.timer2.isEnabled());
    rig.clock.advance(500);
    EXPECT_EQ(rig.link().sentLine(), "");
}

TEST_F(CommandList, CloseRestoresTheMainWindowAndReopensAfresh)
{
    window().switchList(ReferenceWindow::kExpandedRead);
    window().closeWindow();
    EXPECT_TRUE(view().closed);
    EXPECT_EQ(rig.program.referenceWindow(), nullptr);
    EXPECT_TRUE(rig.view.isVisible("Frame15"));
    EXPECT_EQ(rig.timer2.interval(), 1000);
    EXPECT_EQ(rig.timer4.interval(), 1200);

    rig.clock.advance(rig.shell.doubleClickMs); // the panel's pause after a window closed
    rig.panel().click("Command74");
    EXPECT_EQ(rig.shell.referencesCreated, 2);
    EXPECT_EQ(window().visibleList(), ReferenceWindow::kBasic);
    EXPECT_EQ(window().composed(), "C00\r");
}

TEST_F(CommandList, TitleBarCloseRunsTheCloseSteps)
{
    window().closedByTitleBar();
    EXPECT_EQ(rig.program.referenceWindow(), nullptr);
    EXPECT_TRUE(rig.view.isVisible("Frame15"));
    EXPECT_EQ(rig.timer2.interval(), 1000);
}

TEST_F(CommandList, CommandTableAgainShowsTheSameWindow)
{
    rig.panel().click("Command74");
    EXPECT_EQ(rig.shell.referencesCreated, 1);
    EXPECT_EQ(rig.shell.referenceShown, 2);
}

TEST_F(CommandList, TimeOutFollowsTheWindowAndTheHolds)
{
    rig.panel().click("Command17");
    rig.clock.advance(4999);
    EXPECT_EQ(rig.link().receivedLine(), "");
    rig.clock.advance(1);
    EXPECT_EQ(rig.link().receivedLine(), " X X X X");
    // A hold while the window is open sets its own intervals.
    rig.panel().press("Command1");
    rig.panel().release();
    EXPECT_EQ(rig.timer2.interval(), 500);
    window().closeWindow();
    EXPECT_EQ(rig.timer2.interval(), 1000);
    rig.clock.advance(rig.shell.doubleClickMs);
    rig.panel().click("Command17");
    rig.clock.advance(1000);
    EXPECT_EQ(rig.link().receivedLine(), " X X X X");
}

} // namespace
} // namespace orva::test
