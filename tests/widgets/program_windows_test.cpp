// The whole program on its real windows (offscreen), with a fake port, store
// and clock: what the operator sees after each way out of the port dialog,
// and that a window never acts after its dialog is gone.
#include "fakes.h"
#include "qt_wait.h"

#include "app/qt_application.h"
#include "app/qt_shell.h"
#include "panel/qt_main_window.h"
#include "reference/qt_reference_window.h"
#include "settings/qt_port_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleHints>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace orva::test {
namespace {

struct ProgramRig {
    ~ProgramRig()
    {
        // Let closed windows go before the behaviour does.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void startOn(int port)
    {
        store.values["StartUP/ComPort"] = std::to_string(port);
        store.values["StartUP/BaudRate"] = "192";
        program.formLoad();
    }
    QtPortDialog* dialog() const { return shell.portDialogWindow(); }
    QRadioButton* option(QWidget* d, const char* name) { return d->findChild<QRadioButton*>(name); }
    QPushButton* button(QWidget* d, const char* name) { return d->findChild<QPushButton*>(name); }
    QPushButton* panelButton(std::string_view name)
    {
        return qobject_cast<QPushButton*>(window.control(name));
    }
    // Port dialog windows still on screen.
    int dialogsShown() const
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<QtPortDialog*>(w) && w->isVisible();
        return n;
    }

    VirtualClock clock;
    FakePort port;
    FakeStore store;
    QtMainWindow window;
    QtShell shell{window};
    Program program{{port, store, clock, window, shell}};
};

// The window system's close (title bar, Alt+F4): a close event to the
// platform window, as the window manager's request arrives.
void closeByWindowSystem(QWidget* w)
{
    QCloseEvent event;
    QApplication::sendEvent(w->windowHandle(), &event);
}

// Answers the next "Retry Comport" box; returns how many were answered.
class WarningAnswerer {
public:
    WarningAnswerer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++answered;
                box->accept();
            }
        });
        timer_.start(10);
    }
    int answered = 0;

private:
    QTimer timer_;
};

TEST(PortDialogWindows, FirstRunOkClosesTheModalDialogAndTheMainWindowTakesInput)
{
    ProgramRig rig;
    rig.program.formLoad(); // nothing stored
    QPointer<QtPortDialog> dialog = rig.dialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), dialog.data());
    EXPECT_FALSE(rig.window.isVisible());

    QTest::mouseClick(rig.option(dialog, "Option5"), Qt::LeftButton); // COM3
    QTest::mouseClick(rig.button(dialog, "Command1"), Qt::LeftButton);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); })); // freed by Qt, not kept
}

TEST(PortDialogWindows, ComThenCancelReturnsToThePortAndClosesTheDialog)
{
    ProgramRig rig;
    rig.startOn(2);
    rig.window.show();
    rig.program.panel().click("Command33");
    QPointer<QtPortDialog> dialog = rig.dialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // from the panel: not modal
    QTest::mouseClick(rig.button(dialog, "Command2"), Qt::LeftButton);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 2);
    EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
    EXPECT_EQ(rig.dialogsShown(), 0);
}

TEST(PortDialogWindows, WindowSystemCloseEndsStartUpWithThePortClosed)
{
    ProgramRig rig;
    rig.program.formLoad();
    QPointer<QtPortDialog> dialog = rig.dialog();
    ASSERT_TRUE(dialog);
    QTest::mouseClick(rig.option(dialog, "Option4"), Qt::LeftButton);
    closeByWindowSystem(dialog);
    EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.store.writes, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
}

TEST(PortDialogWindows, EscapeDoesNothing)
{
    ProgramRig rig;
    rig.program.formLoad();
    QPointer<QtPortDialog> dialog = rig.dialog();
    ASSERT_TRUE(dialog);
    for (const char* focus : {"Text1", "Command1", "Command2", "Option2"}) {
        auto* w = dialog->findChild<QWidget*>(focus);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Escape);
        ASSERT_FALSE(dialog.isNull()) << focus;
        EXPECT_TRUE(dialog->isVisible()) << focus;
        EXPECT_EQ(QApplication::activeModalWidget(), dialog.data()) << focus;
    }
    EXPECT_FALSE(rig.window.isVisible()); // start-up still waits for the dialog
    EXPECT_EQ(rig.store.writes, 0);
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(PortDialogWindows, ComAgainWhileTheDialogIsOpenKeepsOneWindow)
{
    ProgramRig rig;
    rig.startOn(1);
    rig.window.show();
    rig.program.panel().click("Command33");
    QPointer<QtPortDialog> first = rig.dialog();
    rig.program.panel().click("Command33");
    EXPECT_EQ(rig.dialog(), first.data());
    EXPECT_EQ(rig.dialogsShown(), 1);
}

// COM, COM3, OK, COM, then the first dialog's window is acted on: it must
// do nothing at all (it used to call into a freed dialog).
TEST(PortDialogWindows, TheFirstDialogCannotActAfterASecondOpens)
{
    ProgramRig rig;
    rig.startOn(1);
    rig.window.show();
    rig.program.panel().click("Command33");
    QPointer<QtPortDialog> first = rig.dialog();
    ASSERT_TRUE(first);
    QTest::mouseClick(rig.option(first, "Option5"), Qt::LeftButton);
    QTest::mouseClick(rig.button(first, "Command1"), Qt::LeftButton);
    ASSERT_TRUE(rig.port.isOpen());
    ASSERT_EQ(rig.port.portNumber(), 3);
    const auto stored = rig.store.values;

    rig.clock.advance(1000); // a while later
    rig.program.panel().click("Command33"); // closes COM3 and opens a new dialog
    QPointer<QtPortDialog> second = rig.dialog();
    ASSERT_TRUE(second);
    ASSERT_NE(second.data(), first.data());
    EXPECT_EQ(rig.dialogsShown(), 1);
    ASSERT_FALSE(rig.port.isOpen());

    // The first window is closed but not freed before the next turn of the
    // event loop: whatever reaches it meanwhile does nothing.
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isVisible());
    WarningAnswerer answerer;
    QTest::mouseClick(rig.option(first, "Option4"), Qt::LeftButton);
    rig.button(first, "Command1")->click();
    rig.button(first, "Command2")->click();
    first->findChild<QLineEdit*>("Text1")->setText("9");
    QTest::keyClick(first, Qt::Key_Escape);
    closeByWindowSystem(first);
    EXPECT_EQ(answerer.answered, 0);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.store.values, stored);
    EXPECT_EQ(rig.program.choice().portNumber, 3);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->isVisible());
    EXPECT_NE(rig.program.portDialog(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }));

    // The second dialog still works.
    QTest::mouseClick(rig.button(second, "Command2"), Qt::LeftButton);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_EQ(rig.dialogsShown(), 0);
}

TEST(PortDialogWindows, OkOnAPortThatWillNotOpenWarnsAndTheDialogStays)
{
    ProgramRig rig;
    rig.port.heldPorts = {2};
    rig.program.formLoad();
    QPointer<QtPortDialog> dialog = rig.dialog();
    QTest::mouseClick(rig.option(dialog, "Option4"), Qt::LeftButton);
    WarningAnswerer answerer;
    QTest::mouseClick(rig.button(dialog, "Command1"), Qt::LeftButton);
    EXPECT_EQ(answerer.answered, 1);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), dialog.data());
}

// The title bars read the captions exactly: Qt would append the
// application's display name to every window title if one were set.
TEST(PortDialogWindows, TitlesAreTheCaptionsExactly)
{
    const QString name = QCoreApplication::applicationName();
    const QString organisation = QCoreApplication::organizationName();
    configureApplication();
    // No display name of its own: it follows the application name.
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    QCoreApplication::setApplicationName("orva-control");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "orva-control");

    ProgramRig rig;
    rig.startOn(1);
    rig.window.show();
    rig.program.panel().click("Command74");
    rig.program.panel().click("Command33");
    EXPECT_EQ(rig.window.windowTitle(), "ORVA   QLN40/QLN45/QLN50  CONTROL  Ver.2.0");
    EXPECT_EQ(rig.dialog()->windowTitle(), "  COM PORT");
    EXPECT_EQ(rig.shell.referenceWindow()->windowTitle(), "Command List");
    QString warningTitle;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warningTitle = box->windowTitle();
            box->accept();
        }
    });
    rig.program.portDialog()->optionClick(3);
    rig.port.heldPorts = {1};
    rig.program.portDialog()->ok();
    EXPECT_EQ(warningTitle, "Error");

    QCoreApplication::setApplicationName(name);
    QCoreApplication::setOrganizationName(organisation);
}

// The first click of a double click on OK closes the dialog; the second
// lands on whatever lies under it, here a panel button: it sends nothing.
TEST(PortDialogWindows, DoubleClickOnOkOrCancelSendsNothing)
{
    for (const char* button : {"Command1", "Command2"}) {
        ProgramRig rig;
        rig.startOn(4);
        rig.window.show();
        rig.program.panel().click("Command33");
        QPointer<QtPortDialog> dialog = rig.dialog();
        QTest::mouseClick(rig.button(dialog, button), Qt::LeftButton);
        ASSERT_TRUE(rig.port.isOpen()) << button;
        QTest::mouseClick(rig.panelButton("Command52"), Qt::LeftButton); // "Image 3"
        QTest::mousePress(rig.panelButton("Command49"), Qt::LeftButton); // "D.Zoom" down
        rig.clock.advance(300);
        QTest::mouseRelease(rig.panelButton("Command49"), Qt::LeftButton);
        EXPECT_TRUE(rig.port.written.empty()) << button;
        // Only the pointer waits: a key on the focused button and an
        // assistive technology's press act at once.
        rig.panelButton("Command52")->setFocus();
        QTest::keyClick(rig.panelButton("Command52"), Qt::Key_Space);
        QAccessibleInterface* power = QAccessible::queryAccessibleInterface(rig.panelButton("Command17"));
        ASSERT_NE(power, nullptr);
        power->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(QTest::qWaitFor([&] { return rig.port.written.size() == 2; }, 5000));
        EXPECT_EQ(rig.port.written, (std::vector<std::string>{"C16\r", "C00\r"})) << button;

        rig.clock.advance(QApplication::styleHints()->mouseDoubleClickInterval());
        QTest::mouseClick(rig.panelButton("Command52"), Qt::LeftButton);
        EXPECT_EQ(rig.port.written, (std::vector<std::string>{"C16\r", "C00\r", "C16\r"})) << button;
    }
}

// The main window leads to the program that the shell attached it to, once
// per click however often it was attached, and to nothing once that program
// has gone (the window outlives it in main).
TEST(MainWindowAttachment, OneSendPerClickAndNothingAfterTheProgramWent)
{
    VirtualClock clock;
    FakePort port;
    FakeStore store;
    store.values["StartUP/ComPort"] = "1";
    QtMainWindow window;
    QtShell shell{window};
    window.show();
    auto* image3 = qobject_cast<QPushButton*>(window.control("Command52"));
    ASSERT_NE(image3, nullptr);
    {
        Program program{{port, store, clock, window, shell}};
        program.formLoad();
        shell.attachMainWindow(&program.panel(), [] {}); // again: still one panel behind the buttons
        QTest::mouseClick(image3, Qt::LeftButton);
        EXPECT_EQ(port.written, std::vector<std::string>{"C16\r"});
    }
    QTest::mouseClick(image3, Qt::LeftButton);
    QTest::keyClick(&window, Qt::Key_H, Qt::ControlModifier);
    closeByWindowSystem(&window); // the program's close handler went with it
    EXPECT_EQ(port.written.size(), 1u);
}

} // namespace
} // namespace orva::test
