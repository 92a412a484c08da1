// The command list window: its lists hold the catalogues verbatim and the
// operator's picks, typing and buttons reach the behaviour.
#include "fakes.h"
#include "qt_keys.h"
#include "reference/catalogues.h"
#include "reference/qt_reference_window.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace orva::test {
namespace {

struct WindowRig {
    WindowRig()
    {
        port.setPortNumber(1);
        port.open();
        auto w = std::make_unique<ReferenceWindow>(link);
        behaviour = w.get();
        w->setCloseHandler([this] { ++closes; });
        window = new QtReferenceWindow(std::move(w));
        behaviour->load();
        window->show();
    }
    ~WindowRig() { delete window.data(); }
    QComboBox* list(const char* name) { return window->findChild<QComboBox*>(name); }
    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }
    QLineEdit* edit() { return window->findChild<QLineEdit*>("Text1"); }

    VirtualClock clock;
    FakeTimer timer2{clock};
    FakeTimer timer4{clock};
    FakePort port;
    FakeView view;
    Link link{port, timer2, timer4, view};
    ReferenceWindow* behaviour = nullptr; // owned by the window
    QPointer<QtReferenceWindow> window;
    int closes = 0;
};

TEST(CommandListWindow, ListsHoldTheCataloguesVerbatim)
{
    WindowRig rig;
    EXPECT_EQ(rig.window->windowTitle(), "Command List");
    const std::pair<const char*, std::span<const std::string_view>> lists[] = {
        {"Combo1", basicCatalogue()}, {"Combo2", expandedSetCatalogue()}, {"Combo3", expandedReadCatalogue()}};
    for (const auto& [name, entries] : lists) {
        QComboBox* combo = rig.list(name);
        ASSERT_NE(combo, nullptr) << name;
        ASSERT_EQ(combo->count(), static_cast<int>(entries.size())) << name;
        for (int i = 0; i < combo->count(); ++i)
            EXPECT_EQ(combo->itemText(i).toLatin1().toStdString(), entries[static_cast<std::size_t>(i)]);
    }
    EXPECT_TRUE(rig.list("Combo1")->isVisible());
    EXPECT_FALSE(rig.list("Combo2")->isVisible());
    EXPECT_EQ(rig.edit()->text(), "C00[CR]");
    EXPECT_TRUE(rig.window->findChild<QLabel*>("Label2")->isVisible());
    EXPECT_FALSE(rig.window->findChild<QLabel*>("Label1")->isVisible());
    EXPECT_EQ(rig.list("Combo1")->y(), 1560 / 15);
}

TEST(CommandListWindow, PickTypeAndSend)
{
    WindowRig rig;
    QTest::mouseClick(rig.button("Command4"), Qt::LeftButton); // expanded set list
    EXPECT_TRUE(rig.list("Combo2")->isVisible());
    EXPECT_FALSE(rig.list("Combo1")->isVisible());
    rig.list("Combo2")->setCurrentIndex(2); // "CF BRIGHT 0%%", as the operator picks it
    EXPECT_EQ(rig.edit()->text(), "CF BRIGHT 0%%[CR]");
    EXPECT_TRUE(rig.window->findChild<QLabel*>("Label1")->isVisible());

    rig.edit()->setFocus();
    rig.edit()->setCursorPosition(11);
    QTest::keyClick(rig.edit(), Qt::Key_Delete);
    QTest::keyClick(rig.edit(), Qt::Key_Delete);
    QTest::keyClicks(rig.edit(), "42");
    EXPECT_EQ(rig.behaviour->composed(), "CF BRIGHT 042\r");
    QTest::mouseClick(rig.button("Command1"), Qt::LeftButton);
    ASSERT_FALSE(rig.port.written.empty());
    EXPECT_EQ(rig.port.written.back(), "CF BRIGHT 042\r");
    EXPECT_FALSE(rig.window->findChild<QLabel*>("Label1")->isVisible());
}

// Whatever changes the edit box (typing, pasting, a screen reader or voice
// control through the accessibility interface) is what SEND sends.
TEST(CommandListWindow, EveryChangeOfTheEditBoxIsWhatSendSends)
{
    WindowRig rig;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(rig.edit());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->editableTextInterface(), nullptr);
    a->editableTextInterface()->replaceText(0, static_cast<int>(rig.edit()->text().size()), "C0B[CR]");
    EXPECT_EQ(rig.edit()->text(), "C0B[CR]");
    EXPECT_EQ(rig.behaviour->composed(), "C0B\r");
    a->editableTextInterface()->insertText(0, "X");
    EXPECT_EQ(rig.behaviour->composed(), "XC0B\r");
    rig.edit()->setText("CR3[CR]"); // pasted or set by any other means
    EXPECT_EQ(rig.behaviour->composed(), "CR3\r");
    QTest::mouseClick(rig.button("Command1"), Qt::LeftButton);
    ASSERT_FALSE(rig.port.written.empty());
    EXPECT_EQ(rig.port.written.back(), "CR3\r");

    // A pick writes the box itself, which runs the edit rule once, not a
    // second time through the box's signal; the box then shows exactly what
    // is sent.
    QSignalSpy changes(rig.edit(), &QLineEdit::textChanged);
    rig.list("Combo1")->setCurrentIndex(1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(rig.edit()->text().toStdString(), std::string(commandTextOf(basicCatalogue()[1])) + "[CR]");
    EXPECT_EQ(rig.behaviour->composed(), std::string(commandTextOf(basicCatalogue()[1])) + "\r");
}

TEST(CommandListWindow, ReturnOnSendSendsOncePerStroke)
{
    WindowRig rig;
    XKeyboard keys;
    rig.button("Command1")->setFocus();
    keys.stroke(rig.button("Command1"), Qt::Key_Return);
    keys.hold(rig.button("Command1"), Qt::Key_Space, 20, false);
    EXPECT_EQ(rig.port.written, std::vector<std::string>(2, "C00\r"));
    rig.button("Command4")->setFocus();
    keys.stroke(rig.button("Command4"), Qt::Key_Return);
    EXPECT_TRUE(rig.list("Combo2")->isVisible());
}

TEST(CommandListWindow, OuterHeightIsTheCaptionsWithTheRealFrame)
{
    WindowRig rig;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(rig.window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.window->frameGeometry().height() > rig.window->height(); }));
    EXPECT_EQ(rig.window->frameGeometry().height(), 167); // 2500 twips
    EXPECT_EQ(rig.window->width(), 667);
}

TEST(CommandListWindow, CloseButtonAndTitleBarBothRunTheCloseSteps)
{
    {
        WindowRig rig;
        QTest::mouseClick(rig.button("Command2"), Qt::LeftButton);
        EXPECT_EQ(rig.closes, 1);
    }
    {
        WindowRig rig;
        rig.window->close();
        EXPECT_EQ(rig.closes, 1);
    }
}

} // namespace
} // namespace orva::test
