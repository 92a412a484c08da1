// The port dialog's paths, from start-up and from the COM button.
#include "fakes.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

class PortDialogPaths : public ::testing::Test {
protected:
    PortDialog& dialog()
    {
        PortDialog* d = rig.program.portDialog();
        EXPECT_NE(d, nullptr);
        return *d;
    }
    FakeDialogView& view() { return rig.shell.dialogView; }
    Rig rig;
};

TEST_F(PortDialogPaths, FirstRunShowsTheDialogModallyWith19200)
{
    rig.program.formLoad();
    ASSERT_EQ(rig.shell.dialogModal, std::vector<bool>{true});
    EXPECT_EQ(rig.shell.mainShown, 0);
    EXPECT_TRUE(dialog().isChecked(2));
    EXPECT_FALSE(dialog().isChecked(1));
    for (int o = 3; o <= 7; ++o)
        EXPECT_FALSE(dialog().isChecked(o));
    EXPECT_EQ(dialog().otherField(), "0");
    EXPECT_EQ(view().selection.field, "Text1");
    EXPECT_EQ(view().selection.start, 0);
    EXPECT_EQ(view().selection.length, 1);
    EXPECT_EQ(rig.port.settings(), "19200,N,8,1");

    dialog().ok();
    EXPECT_EQ(view().warnings, std::vector<std::string>{"Error: Retry Comport"});
    EXPECT_EQ(view().details.at(0), "No port is chosen: pick COM1 to COM5, or type 1 to 15 in OTHER.");
    EXPECT_EQ(view().failure, ""); // nothing failed to open
    EXPECT_EQ(rig.store.writes, 0);
    EXPECT_FALSE(view().closed);
}

TEST_F(PortDialogPaths, OkOpensStoresAndShowsTheMainWindow)
{
    rig.program.formLoad();
    dialog().optionClick(5); // COM3
    dialog().optionClick(1); // 9600
    dialog().ok();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_EQ(rig.port.settings(), "9600,N,8,1");
    EXPECT_EQ(rig.store.values["StartUP/ComPort"], "3");
    EXPECT_EQ(rig.store.values["StartUP/BaudRate"], "96");
    EXPECT_EQ(rig.store.writes, 1); // both keys in one write
    EXPECT_EQ(rig.link().notice(), "");
    EXPECT_TRUE(view().closed);
    EXPECT_EQ(rig.program.portDialog(), nullptr);
    EXPECT_GE(rig.shell.mainShown, 1);
    EXPECT_FALSE(rig.shell.moved); // not re-placed after the dialog
    EXPECT_EQ(rig.timer2.interval(), 5000);
    EXPECT_EQ(rig.timer4.interval(), 5500);
}

TEST_F(PortDialogPaths, OkOnAPortThatWillNotOpenWarnsAndStoresNothing)
{
    rig.port.heldPorts = {2};
    rig.program.formLoad();
    dialog().optionClick(4);
    dialog().ok();
    EXPECT_EQ(view().warnings.size(), 1u);
    EXPECT_EQ(view().details.at(0), "COM2: in use by another program");
    EXPECT_EQ(view().failure, view().details.at(0));
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.store.writes, 0);
    EXPECT_NE(rig.program.portDialog(), nullptr);
}

TEST_F(PortDialogPaths, OtherFieldRulesAndIndependenceFromTheOptions)
{
    rig.program.formLoad();
    dialog().optionClick(4); // COM2
    dialog().otherFieldChange("1");
    EXPECT_EQ(rig.program.choice().portNumber, 1);
    dialog().otherFieldChange("12");
    EXPECT_EQ(rig.program.choice().portNumber, 12);
    for (const char* bad : {"16", "123", "", "x0"}) {
        dialog().otherFieldChange(bad);
        EXPECT_EQ(dialog().otherField(), "0") << bad;
        EXPECT_EQ(view().captions["Text1"], "0") << bad;
        EXPECT_EQ(rig.program.choice().portNumber, 12) << bad;
    }
    dialog().otherFieldChange("7");
    EXPECT_TRUE(dialog().isChecked(4)); // COM2 still shows as selected
    dialog().ok();
    EXPECT_EQ(rig.port.portNumber(), 7);
    EXPECT_EQ(rig.store.values["StartUP/ComPort"], "7");
}

TEST_F(PortDialogPaths, CancelAtStartUpWarnsUntilAPortIsPicked)
{
    rig.storeSettings("16", "96");
    rig.program.formLoad();
    EXPECT_EQ(rig.program.choice().portNumber, 16);
    dialog().cancel();
    EXPECT_EQ(rig.program.choice().portNumber, 0);
    EXPECT_EQ(view().warnings.size(), 1u);
    dialog().optionClick(3); // still shows checked? no matter: a pick is needed
    dialog().cancel();
    EXPECT_EQ(rig.program.choice().portNumber, 0);
    dialog().ok();
    EXPECT_EQ(view().warnings.size(), 3u);
    EXPECT_EQ(rig.store.writes, 0);
}

TEST_F(PortDialogPaths, ClosedThroughTheWindowSystemShowsTheMainWindowWithThePortClosed)
{
    rig.program.formLoad();
    dialog().optionClick(3);
    dialog().closedByWindowSystem();
    EXPECT_EQ(rig.program.portDialog(), nullptr);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.store.writes, 0);
    EXPECT_EQ(rig.shell.mainShown, 1);
    // The main window stays usable: a send is reported, never fatal.
    rig.clock.advance(rig.shell.doubleClickMs);
    rig.panel().click("Command17");
    EXPECT_FALSE(rig.link().notice().empty());
}

TEST_F(PortDialogPaths, ComButtonClosesThePortAndCancelReturnsToIt)
{
    rig.startOnPort(3, "96");
    rig.panel().click("Command33");
    EXPECT_FALSE(rig.port.isOpen());
    ASSERT_EQ(rig.shell.dialogModal, std::vector<bool>{false});
    EXPECT_TRUE(dialog().isChecked(5));
    EXPECT_TRUE(dialog().isChecked(1));
    dialog().optionClick(7);
    dialog().optionClick(2);
    dialog().cancel();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_EQ(rig.port.settings(), "9600,N,8,1");
    EXPECT_EQ(rig.store.values["StartUP/ComPort"], "3"); // untouched
    EXPECT_EQ(rig.store.writes, 0);
    EXPECT_EQ(rig.program.portDialog(), nullptr);
}

TEST_F(PortDialogPaths, CancelToAPortThatWillNotReopenKeepsTheDialog)
{
    rig.startOnPort(3, "192");
    rig.panel().click("Command33");
    rig.port.heldPorts = {3};
    dialog().optionClick(1);
    dialog().cancel();
    EXPECT_EQ(view().warnings.size(), 1u);
    EXPECT_TRUE(dialog().isChecked(2)); // the previous baud rate restored
    EXPECT_EQ(rig.program.choice().portNumber, 3);
    EXPECT_FALSE(rig.port.isOpen());
}

TEST_F(PortDialogPaths, PortsAboveFiveShowNoOptionAndReopenOnOk)
{
    rig.startOnPort(9);
    rig.panel().click("Command33");
    for (int o = 3; o <= 7; ++o)
        EXPECT_FALSE(dialog().isChecked(o));
    EXPECT_EQ(dialog().otherField(), "0");
    dialog().ok();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 9);
}

TEST_F(PortDialogPaths, ComAgainWhileOpenOnlyRaisesTheDialog)
{
    rig.startOnPort(2);
    rig.panel().click("Command33");
    dialog().optionClick(6); // COM4, not applied yet
    rig.panel().click("Command33");
    EXPECT_EQ(rig.shell.dialogsCreated, 1);
    EXPECT_EQ(rig.shell.dialogRaised, 1);
    // The changed value is now what Cancel goes back to.
    EXPECT_EQ(rig.program.choice().previousPortNumber, 4);
}

// Once over, a dialog does nothing whatever its window still passes on; a
// new one is made for the next opening.
TEST_F(PortDialogPaths, ADialogThatIsOverDoesNothing)
{
    rig.startOnPort(1);
    rig.panel().click("Command33");
    PortDialog* first = &dialog();
    first->optionClick(5);
    first->ok();
    ASSERT_EQ(rig.port.portNumber(), 3);
    EXPECT_EQ(rig.program.portDialog(), nullptr);
    rig.clock.advance(1000);
    rig.panel().click("Command33");
    ASSERT_NE(rig.program.portDialog(), first);
    EXPECT_EQ(rig.shell.dialogsCreated, 2);
    const auto stored = rig.store.values;
    const std::size_t warnings = view().warnings.size();

    first->optionClick(4);
    first->otherFieldChange("9");
    first->ok();
    first->cancel();
    first->closedByWindowSystem();
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.program.choice().portNumber, 3);
    EXPECT_EQ(rig.store.values, stored);
    EXPECT_EQ(view().warnings.size(), warnings);
    EXPECT_NE(rig.program.portDialog(), nullptr); // the new one is still the open one
    dialog().cancel();
    EXPECT_TRUE(rig.port.isOpen());
}

// Whenever one of the program's other windows goes, the main window may lie
// under the pointer: the panel pauses for a double click's time.
TEST_F(PortDialogPaths, ThePanelPausesAfterEachOtherWindowCloses)
{
    rig.startOnPort(2);
    auto paused = [this] { return rig.panel().ignoringPresses(); };
    rig.panel().click("Command33");
    EXPECT_FALSE(paused());
    dialog().cancel(); // back to COM2
    EXPECT_TRUE(paused());
    rig.clock.advance(rig.shell.doubleClickMs);
    EXPECT_FALSE(paused());

    rig.panel().click("Command33");
    rig.port.heldPorts = {2};
    dialog().ok(); // COM2 is held now: the warning, the dialog stays
    EXPECT_EQ(view().warnings.size(), 1u);
    EXPECT_TRUE(paused());
    rig.clock.advance(rig.shell.doubleClickMs);
    dialog().closedByWindowSystem();
    EXPECT_TRUE(paused());
    rig.clock.advance(rig.shell.doubleClickMs);

    rig.port.heldPorts.clear();
    rig.program.panel().click("Command33");
    dialog().ok();
    rig.clock.advance(rig.shell.doubleClickMs);
    rig.panel().click("Command74");
    rig.program.referenceWindow()->closeWindow();
    EXPECT_TRUE(paused());
}

TEST_F(PortDialogPaths, ChoiceThatCannotBeStoredIsUsedAndTheNoticeSaysWhereAndWhy)
{
    rig.store.refusal = {StoreOutcome::Problem::ReadOnlyFile, "/home/op/.config/ORVA.conf", {}};
    rig.program.formLoad();
    dialog().optionClick(5); // COM3
    dialog().optionClick(1); // 9600
    dialog().ok();
    // The dialog's steps are as ever: the port is open and the dialog gone,
    // no modal box; only the main window's notice tells.
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_TRUE(view().closed);
    EXPECT_TRUE(view().warnings.empty());
    EXPECT_GE(rig.shell.mainShown, 1);
    EXPECT_EQ(rig.store.writes, 1);
    const std::string notice = rig.link().notice();
    EXPECT_EQ(notice, "COM3 at 9600 baud is in use but not stored for the next start: "
                      "/home/op/.config/ORVA.conf is read-only.");
    EXPECT_EQ(rig.view.caption("LinkNotice"), notice);

    // It stands while it holds: a good send keeps it, a failed one says its
    // own trouble first and gives way again after the next good send.
    rig.clock.advance(rig.shell.doubleClickMs); // the panel's pause after the dialog
    rig.panel().click("Command44");
    EXPECT_EQ(rig.link().notice(), notice);
    rig.port.failWrites = true;
    rig.panel().click("Command44");
    EXPECT_NE(rig.link().notice().find("Not sent"), std::string::npos);
    rig.port.failWrites = false;
    rig.panel().click("Command44");
    EXPECT_EQ(rig.link().notice(), notice);

    // Once a choice is stored, the notice goes.
    rig.store.refusal = {};
    rig.panel().click("Command33");
    dialog().ok();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.store.values["StartUP/ComPort"], "3");
    EXPECT_EQ(rig.link().notice(), "");
}

} // namespace
} // namespace orva::test
