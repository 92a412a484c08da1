// Start-up's three paths and shut-down.
#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

TEST(StartUp, StoredPortThatOpens)
{
    Rig rig;
    rig.storeSettings("3", "96");
    rig.program.formLoad();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_EQ(rig.port.settings(), "9600,N,8,1");
    EXPECT_EQ(rig.program.choice().baudCode, 96);
    EXPECT_TRUE(rig.shell.dialogModal.empty());
    EXPECT_EQ(rig.timer2.interval(), 1000);
    EXPECT_EQ(rig.timer4.interval(), 1200);
    EXPECT_FALSE(rig.timer2.isEnabled());
    EXPECT_FALSE(rig.timer4.isEnabled());
    EXPECT_EQ(rig.view.outerHeight, 5780);
    ASSERT_TRUE(rig.shell.moved);
    EXPECT_FLOAT_EQ(rig.shell.movedLeft, (20490 - 10305) / 2.0);
    EXPECT_FLOAT_EQ(rig.shell.movedTop, (15360 - 5780) / 2.0 - 1350);
    EXPECT_EQ(rig.shell.mainShown, 1);
    EXPECT_EQ(rig.store.writes, 0);
}

TEST(StartUp, OtherBaudCodesMean19200)
{
    for (const char* baud : {"192", "57", "DATAb-absent"}) {
        Rig rig;
        rig.storeSettings("2", baud);
        if (std::string(baud) == "DATAb-absent")
            rig.store.values.erase("StartUP/BaudRate");
        rig.program.formLoad();
        EXPECT_EQ(rig.port.settings(), "19200,N,8,1") << baud;
        EXPECT_EQ(rig.program.choice().baudCode, 192) << baud;
    }
}

TEST(StartUp, UnusablePortGoesToTheDialogWithoutReadingTheBaudRate)
{
    for (const char* port : {"0", "16", "-2", "COM3", "", "1e400", "99999"}) {
        Rig rig;
        rig.storeSettings(port, "96");
        rig.program.formLoad();
        EXPECT_EQ(rig.shell.dialogModal, std::vector<bool>{true}) << port;
        EXPECT_EQ(rig.port.opens, 0) << port;
        EXPECT_EQ(rig.program.choice().baudCode, 192) << port; // "96" never read
        EXPECT_EQ(rig.port.settingsLog, std::vector<std::string>{"19200,N,8,1"}) << port; // by the dialog
        EXPECT_FALSE(rig.shell.moved);
        EXPECT_EQ(rig.timer2.interval(), 5000);
        EXPECT_EQ(rig.timer4.interval(), 5500);
    }
}

TEST(StartUp, HeldPortGoesToTheDialogAndKeepsThePlace)
{
    Rig rig;
    rig.port.heldPorts = {3};
    rig.storeSettings("3", "96");
    rig.program.formLoad();
    EXPECT_EQ(rig.shell.dialogModal, std::vector<bool>{true});
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.shell.moved);
    EXPECT_EQ(rig.timer2.interval(), 5000);
    // The dialog shows the stored choice, and why it did not open.
    EXPECT_TRUE(rig.program.portDialog()->isChecked(5));
    EXPECT_TRUE(rig.program.portDialog()->isChecked(1));
    EXPECT_EQ(rig.shell.dialogView.failure, "COM3: in use by another program");
    EXPECT_TRUE(rig.shell.dialogView.warnings.empty()); // no box at start-up
}

// Start-up centres the window before the window system has framed it; once
// the real frame is known the window is centred again with its real width,
// and only then.
TEST(StartUp, CentredAgainOnceTheRealFrameIsKnown)
{
    Rig rig;
    rig.startOnPort();
    ASSERT_TRUE(rig.shell.frameHandler);
    rig.shell.outerWidth = 10215; // 681 pixels: a one-pixel border
    rig.shell.frameHandler();
    EXPECT_FLOAT_EQ(rig.shell.movedLeft, (20490 - 10215) / 2.0);
    EXPECT_FLOAT_EQ(rig.shell.movedTop, (15360 - 5780) / 2.0 - 1350);
    // Later frame changes leave the window where the operator put it.
    rig.shell.moved = false;
    rig.shell.frameHandler();
    EXPECT_FALSE(rig.shell.moved);
}

TEST(StartUp, NotPlacedAfterTheDialogEvenWhenTheFrameComes)
{
    Rig rig;
    rig.program.formLoad(); // nothing stored: the dialog
    rig.program.portDialog()->optionClick(3);
    rig.program.portDialog()->ok();
    rig.shell.frameHandler();
    EXPECT_FALSE(rig.shell.moved);
}

TEST(StartUp, TheWholeFrameStaysOnTheAreaLeftToWindows)
{
    struct Case {
        Shell::Size screen;
        std::optional<Shell::Area> area;
        double left, top;
    } cases[] = {
        // Too short for 1350 twips above the centre: as high as it can go.
        {{12000, 8000}, std::nullopt, (12000 - 10305) / 2.0, 0},
        // Below a panel at the top, left of a dock on the right.
        {{20490, 15360}, Shell::Area{0, 3600, 18000, 11760}, (20490 - 10305) / 2.0, 3600},
        {{20490, 15360}, Shell::Area{0, 0, 12000, 15360}, 12000 - 10305, (15360 - 5780) / 2.0 - 1350},
        // Larger than the area (a high scale): its top-left corner.
        {{9600, 7680}, Shell::Area{0, 450, 9600, 5000}, 0, 450},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.shell.screen = c.screen;
        rig.shell.area = c.area;
        rig.startOnPort();
        EXPECT_FLOAT_EQ(rig.shell.movedLeft, c.left) << c.screen.width;
        EXPECT_FLOAT_EQ(rig.shell.movedTop, c.top) << c.screen.width;
    }
}

TEST(ShutDown, ClosesAnOpenPortOnly)
{
    Rig rig;
    rig.startOnPort();
    rig.program.queryUnload();
    EXPECT_FALSE(rig.port.isOpen());
    rig.program.queryUnload(); // closed already: nothing happens
    EXPECT_EQ(rig.store.writes, 0);
}

TEST(ShutDown, EndAndWindowCloseEndTheProgramOnce)
{
    Rig rig;
    rig.startOnPort();
    rig.panel().click("Command16");
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.shell.quits, 1);
    rig.program.mainWindowClosed();
    EXPECT_EQ(rig.shell.quits, 1);
}

TEST(ShutDown, ClosingTheMainWindowWithTheDialogOpenEndsTheProgram)
{
    Rig rig;
    rig.startOnPort();
    rig.panel().click("Command33");
    rig.program.mainWindowClosed();
    EXPECT_EQ(rig.shell.quits, 1);
    EXPECT_FALSE(rig.port.isOpen());
}

// The program going while its other windows are open leaves them nothing to
// call: their behaviour is over.
TEST(ShutDown, OpenWindowsAreAbandonedWithTheProgram)
{
    PortDialog* dialog = nullptr;
    ReferenceWindow* list = nullptr;
    FakeShell shell; // outlives the program, as the windows would
    {
        VirtualClock clock;
        FakePort port;
        FakeStore store;
        FakeView view;
        store.values["StartUP/ComPort"] = "1";
        Program program{{port, store, clock, view, shell}};
        program.formLoad();
        program.panel().click("Command74");
        program.panel().click("Command33");
        dialog = program.portDialog();
        list = program.referenceWindow();
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(list, nullptr);
    }
    EXPECT_FALSE(dialog->isOpen());
    EXPECT_FALSE(list->isOpen());
    EXPECT_TRUE(shell.dialogView.closed);
    EXPECT_TRUE(shell.referenceView.closed);
    EXPECT_FALSE(shell.frameHandler);
    // Nothing reaches the program that is gone (ASan would tell).
    dialog->optionClick(3);
    dialog->ok();
    dialog->cancel();
    dialog->closedByWindowSystem();
    list->sendCommand();
    list->editChange("C00[CR]");
    list->closeWindow();
    list->closedByTitleBar();
}

} // namespace
} // namespace orva::test
