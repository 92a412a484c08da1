// The port dialog's window mirrors its behaviour and passes the operator's
// actions on.
#include "fakes.h"
#include "qt_keys.h"
#include "settings/qt_port_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace orva::test {
namespace {

struct DialogRig {
    DialogRig()
    {
        window = new QtPortDialog(std::make_unique<PortDialog>(choice, port, store, host));
        window->behaviour().load();
        window->show();
    }
    ~DialogRig() { delete window.data(); }
    QRadioButton* option(const char* name) { return window->findChild<QRadioButton*>(name); }
    QLineEdit* other() { return window->findChild<QLineEdit*>("Text1"); }

    PortChoice choice;
    FakePort port;
    FakeStore store;
    FakePortDialogHost host;
    QPointer<QtPortDialog> window;
};

TEST(PortDialogWindow, LooksAsDesigned)
{
    DialogRig rig;
    EXPECT_EQ(rig.window->windowTitle(), "  COM PORT");
    EXPECT_EQ(rig.window->size(), QSize(207, 267));
    const std::pair<const char*, const char*> captions[] = {
        {"Option1", "9600"}, {"Option2", "19200"}, {"Option3", "COM1"}, {"Option4", "COM2"},
        {"Option5", "COM3"}, {"Option6", "COM4"}, {"Option7", "COM5"}};
    for (const auto& [name, text] : captions) {
        ASSERT_NE(rig.option(name), nullptr) << name;
        EXPECT_EQ(rig.option(name)->text(), text);
    }
    EXPECT_EQ(rig.window->findChild<QPushButton*>("Command1")->text(), "OK");
    EXPECT_EQ(rig.window->findChild<QPushButton*>("Command2")->text(), "Cancel");
    // First run: 19200, no COM option, "0" selected in the focused OTHER field.
    EXPECT_TRUE(rig.option("Option2")->isChecked());
    for (const char* name : {"Option3", "Option4", "Option5", "Option6", "Option7"})
        EXPECT_FALSE(rig.option(name)->isChecked()) << name;
    EXPECT_EQ(rig.other()->text(), "0");
    EXPECT_EQ(rig.other()->selectedText(), "0");
}

TEST(PortDialogWindow, ClicksAndTypingReachTheBehaviour)
{
    DialogRig rig;
    QTest::mouseClick(rig.option("Option5"), Qt::LeftButton);
    EXPECT_EQ(rig.choice.portNumber, 3);
    QTest::mouseClick(rig.option("Option1"), Qt::LeftButton);
    EXPECT_EQ(rig.choice.baudCode, 96);

    rig.other()->setFocus();
    rig.other()->selectAll();
    QTest::keyClicks(rig.other(), "12");
    EXPECT_EQ(rig.choice.portNumber, 12);
    QTest::keyClicks(rig.other(), "3"); // "123": back to "0"
    EXPECT_EQ(rig.other()->text(), "0");
    EXPECT_EQ(rig.choice.portNumber, 12);
    EXPECT_TRUE(rig.option("Option5")->isChecked()); // the options are left alone

    QTest::mouseClick(rig.window->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 12);
    EXPECT_EQ(rig.store.values["StartUP/ComPort"], "12");
    EXPECT_EQ(rig.host.shown, 1);
    EXPECT_EQ(rig.host.closed, 1);
}

TEST(PortDialogWindow, OtherFieldSetWithoutTheKeyboardCounts)
{
    DialogRig rig;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(rig.other());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), "OTHER"); // what a screen reader announces
    ASSERT_NE(a->editableTextInterface(), nullptr);
    a->editableTextInterface()->replaceText(0, 1, "7");
    EXPECT_EQ(rig.other()->text(), "7");
    EXPECT_EQ(rig.choice.portNumber, 7);
    a->editableTextInterface()->replaceText(0, 1, "16"); // not a port: back to "0"
    EXPECT_EQ(rig.other()->text(), "0");
    EXPECT_EQ(rig.choice.portNumber, 7);
    rig.other()->setText("11");
    EXPECT_EQ(rig.choice.portNumber, 11);
}

TEST(PortDialogWindow, WarningIsAnExclamationBoxWithOneButtonThatSaysWhy)
{
    DialogRig rig;
    rig.port.heldPorts = {3};
    QTest::mouseClick(rig.option("Option5"), Qt::LeftButton); // COM3
    QString seenText;
    QString seenTitle;
    QString seenWhy;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        seenTitle = box->windowTitle();
        seenWhy = box->informativeText();
        seenIcon = box->icon();
        EXPECT_EQ(box->buttons().size(), 1);
        box->accept();
    });
    auto* line = rig.window->findChild<QLabel*>("OpenFailure");
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->isVisible());
    QTest::mouseClick(rig.window->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    EXPECT_EQ(seenText, "Retry Comport");
    EXPECT_EQ(seenTitle, "Error");
    EXPECT_EQ(seenWhy, "COM3: in use by another program");
    EXPECT_EQ(seenIcon, QMessageBox::Warning);
    EXPECT_TRUE(rig.window->isVisible());
    // And the dialog keeps saying it, in red, within its own size.
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->toolTip(), seenWhy);
    EXPECT_TRUE(rig.window->rect().contains(line->geometry()));
    EXPECT_EQ(rig.window->size(), QSize(207, 267));
}

TEST(PortDialogWindow, ReturnOnOkOrCancelIsAClick)
{
    {
        DialogRig rig;
        XKeyboard keys;
        QTest::mouseClick(rig.option("Option6"), Qt::LeftButton); // COM4
        auto* ok = rig.window->findChild<QPushButton*>("Command1");
        ok->setFocus();
        keys.hold(ok, Qt::Key_Return, 10, false);
        EXPECT_TRUE(rig.port.isOpen());
        EXPECT_EQ(rig.port.portNumber(), 4);
        EXPECT_EQ(rig.host.closed, 1);
        EXPECT_EQ(rig.port.opens, 1);
    }
    {
        DialogRig rig;
        rig.choice.previousPortNumber = 2;
        auto* cancel = rig.window->findChild<QPushButton*>("Command2");
        cancel->setFocus();
        XKeyboard keys;
        keys.stroke(cancel, Qt::Key_Return);
        EXPECT_TRUE(rig.port.isOpen());
        EXPECT_EQ(rig.port.portNumber(), 2);
        EXPECT_EQ(rig.host.closed, 1);
    }
}

TEST(PortDialogWindow, WindowSystemCloseAppliesNothing)
{
    DialogRig rig;
    QTest::mouseClick(rig.option("Option4"), Qt::LeftButton);
    rig.window->close();
    EXPECT_EQ(rig.host.closed, 1);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.store.writes, 0);
}

} // namespace
} // namespace orva::test
