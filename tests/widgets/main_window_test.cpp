// The main window: built from the panel tables, it shows what they say and
// hands clicks, holds and keys to the program.
#include "fakes.h"
#include "panel/panel_table.h"
#include "panel/qt_main_window.h"

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace orva::test {
namespace {

QColor faceColour(Face face)
{
    switch (face) {
    case Face::Green: return {128, 255, 128};
    case Face::Red: return {255, 128, 128};
    case Face::Yellow: return {255, 255, 128};
    case Face::Orange: return {255, 192, 128};
    case Face::Cyan: return {192, 255, 255};
    case Face::Teal: return {0, 192, 192};
    case Face::Plain: break;
    }
    return {};
}

struct WindowRig {
    WindowRig()
    {
        store.values["StartUP/ComPort"] = "1";
        store.values["StartUP/BaudRate"] = "192";
        window.bind(program.panel());
        window.setCloseHandler([this] { ++closes; });
        program.formLoad();
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }

    QPushButton* button(std::string_view name)
    {
        return qobject_cast<QPushButton*>(window.control(name));
    }
    QLabel* label(std::string_view name) { return qobject_cast<QLabel*>(window.control(name)); }
    // Geometry in the window's client area, whatever the widget's parent.
    QRect placed(QWidget* w) { return QRect(w->mapTo(&window, QPoint(0, 0)), w->size()); }
    std::size_t sent() const { return port.written.size(); }

    VirtualClock clock;
    FakeTimer timer1{clock};
    FakeTimer timer2{clock};
    FakeTimer timer4{clock};
    FakeTimer reopenTimer{clock};
    FakePort port;
    FakeStore store;
    FakeShell shell;
    QtMainWindow window;
    Program program{port, store, timer1, timer2, timer4, reopenTimer, window, shell};
    bool active = false;
    int closes = 0;
};

// Within a pixel of the twips divided by 15.
void expectPlacedAt(const QRect& actual, const TwipsRect& twips, std::string_view name)
{
    auto near = [](int px, int tw) { return std::abs(px * 15 - tw) <= 15; };
    EXPECT_TRUE(near(actual.left(), twips.left) && near(actual.top(), twips.top)
                && near(actual.x() + actual.width(), twips.right())
                && near(actual.y() + actual.height(), twips.bottom()))
        << name << ": " << actual.x() << "," << actual.y() << " " << actual.width() << "x"
        << actual.height();
}

void expectCaptionFont(QWidget* w, int centiPoints, std::string_view name)
{
    const QFontInfo info(w->font());
    EXPECT_EQ(info.family(), QtMainWindow::fontFamily()) << name;
    EXPECT_TRUE(info.bold()) << name;
    EXPECT_EQ(w->font().pixelSize() * 75, centiPoints) << name; // 96 px to the inch
}

TEST(MainWindow, EveryButtonOfTheTableWithCaptionFaceAndPlace)
{
    WindowRig rig;
    EXPECT_EQ(rig.window.objectName(), "Form1");
    EXPECT_EQ(rig.window.windowTitle(), "ORVA   QLN40/QLN45/QLN50  CONTROL  Ver.2.0");
    rig.program.panel().setOuterHeight(kExpandedHeight);
    const QImage picture = rig.window.grab().toImage();
    for (const PanelButton& b : panelButtons()) {
        QPushButton* button = rig.button(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->objectName().toStdString(), b.name);
        EXPECT_EQ(button->text().toStdString(), b.caption) << b.name;
        EXPECT_EQ(button->icon().isNull(), b.arrow == Arrow::None) << b.name;
        expectPlacedAt(rig.placed(button), b.geometry, b.name);
        expectCaptionFont(button, b.fontCentiPoints, b.name);
        if (b.face != Face::Plain) {
            // Just inside the bevel, clear of the caption.
            const QPoint p = rig.placed(button).topLeft() + QPoint(3, button->height() / 2);
            EXPECT_EQ(picture.pixelColor(p).name(), faceColour(b.face).name()) << b.name;
        }
        const std::string what = b.command.empty()
            ? std::string(b.meaning)
            : std::string(b.command) + " \u2014 " + std::string(b.meaning);
        EXPECT_EQ(button->toolTip().toStdString(), what) << b.name;
        EXPECT_EQ(button->accessibleDescription().toStdString(), what) << b.name;
    }
    EXPECT_EQ(rig.button("Command17")->toolTip().toStdString(), "C00 \u2014 power on");
    EXPECT_EQ(rig.button("Command1")->accessibleName(), "Volume up");
    EXPECT_EQ(rig.button("Command38")->accessibleName(), "Menu left");
    EXPECT_EQ(rig.button("Command35")->accessibleName(), "Keystone down");
}

TEST(MainWindow, GroupsAndLabelsAsTheTablesSay)
{
    WindowRig rig;
    for (const PanelGroup& g : panelGroups()) {
        QWidget* frame = rig.window.control(g.name);
        ASSERT_NE(frame, nullptr) << g.name;
        expectPlacedAt(rig.placed(frame), g.geometry, g.name);
        const std::pair<std::string_view, std::string_view> titles[] = {{g.titleName, g.title},
                                                                         {g.title2Name, g.title2}};
        for (const auto& [name, text] : titles) {
            if (name.empty())
                continue;
            QLabel* title = rig.label(name);
            ASSERT_NE(title, nullptr) << name;
            EXPECT_EQ(title->text().toStdString(), text);
            EXPECT_TRUE(frame->isAncestorOf(title)) << name;
            expectCaptionFont(title, g.titleFontCentiPoints, name);
            EXPECT_EQ(title->palette().color(QPalette::WindowText) == QColor(192, 0, 0), g.darkRedTitle)
                << name;
        }
    }
    for (const PanelLabel& l : panelLabels()) {
        QLabel* label = rig.label(l.name);
        ASSERT_NE(label, nullptr) << l.name;
        EXPECT_EQ(label->text().toStdString(), l.caption) << l.name;
        expectPlacedAt(rig.placed(label), l.geometry, l.name);
        expectCaptionFont(label, l.fontCentiPoints, l.name);
    }
    EXPECT_EQ(rig.window.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_TRUE(rig.label("Label9")->alignment() & Qt::AlignRight);
    for (const char* line : {"Label11", "Label12", "Label25"}) {
        EXPECT_EQ(rig.label(line)->palette().color(QPalette::Window), QColor(Qt::white)) << line;
        EXPECT_GT(rig.label(line)->frameWidth(), 0) << line;
    }
    for (const char* red : {"Label25", "Label27", "Label28", "LinkNotice"})
        EXPECT_EQ(rig.label(red)->palette().color(QPalette::WindowText), QColor(Qt::red)) << red;
    EXPECT_TRUE(rig.label("Label27")->isHidden());
    EXPECT_TRUE(rig.label("Label28")->isHidden());
    EXPECT_TRUE(rig.label("LinkNotice")->wordWrap());
    EXPECT_FALSE(rig.label("Label12")->wordWrap());
}

TEST(MainWindow, FocusStartsOnPowerOnAndSpaceSendsIt)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    EXPECT_EQ(rig.window.focusWidget(), rig.button("Command17"));
    QTest::keyClick(rig.window.focusWidget(), Qt::Key_Space);
    EXPECT_EQ(rig.port.written, std::vector<std::string>{"C00\r"});
    // Tab follows the table.
    QTest::keyClick(rig.window.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(rig.window.focusWidget(), rig.button(panelButtons()[1].name));
}

TEST(MainWindow, ClickingEachSendingButtonWritesItsFrame)
{
    WindowRig rig;
    for (const PanelButton& b : panelButtons()) {
        if (b.action != Action::Click)
            continue;
        const std::size_t before = rig.sent();
        rig.button(b.name)->click();
        ASSERT_EQ(rig.sent(), before + 1) << b.name;
        EXPECT_EQ(rig.port.written.back(), std::string(b.command) + "\r") << b.name;
    }
    EXPECT_EQ(rig.sent(), 53u);
    // The monitor shows the last exchange.
    rig.port.receive("00\r");
    EXPECT_EQ(rig.label("Label11")->text(), " C R 7  [CR] ");
    EXPECT_EQ(rig.label("Label12")->text(), " 0 0  [CR] ");
    EXPECT_FALSE(rig.label("Label28")->isHidden());
}

TEST(MainWindow, HoldButtonsAnswerTheMouseOnly)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    for (const PanelButton& b : panelButtons()) {
        if (b.action != Action::Hold)
            continue;
        QPushButton* button = rig.button(b.name);
        button->click();
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_EQ(rig.sent(), 0u) << b.name;
    }
}

TEST(MainWindow, AnyMouseButtonHoldsAndTheReleaseOffTheButtonEndsIt)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    QPushButton* up = rig.button("Command1");
    QTest::mousePress(up, Qt::RightButton);
    EXPECT_TRUE(rig.program.panel().holding());
    rig.clock.advance(300);
    QTest::mouseRelease(up, Qt::RightButton);
    EXPECT_FALSE(rig.program.panel().holding());
    EXPECT_EQ(rig.port.written, std::vector<std::string>(4, "C09\r"));

    rig.port.written.clear();
    QPushButton* down = rig.button("Command42");
    QTest::mousePress(down, Qt::MiddleButton);
    QTest::mouseRelease(down, Qt::MiddleButton);
    EXPECT_EQ(rig.port.written, std::vector<std::string>{"C21\r"});

    // Pressed on "Keystone" down, released over the other end of the window.
    rig.port.written.clear();
    QPushButton* keystone = rig.button("Command35");
    QTest::mousePress(keystone, Qt::LeftButton);
    rig.clock.advance(100);
    const QPoint far = keystone->mapFrom(&rig.window, QPoint(5, 5));
    QTest::mouseMove(keystone, far);
    QTest::mouseRelease(keystone, Qt::LeftButton, {}, far);
    EXPECT_FALSE(rig.program.panel().holding());
    rig.clock.advance(1000);
    EXPECT_EQ(rig.port.written, std::vector<std::string>(2, "C8F\r"));
}

TEST(MainWindow, CollapsedHeightCutsOffExactlyTheExpandedArea)
{
    WindowRig rig;
    EXPECT_EQ(rig.window.size(), QSize(679, 353)); // (5780 - 480) / 15
    std::set<std::string> below;
    for (QWidget* w : rig.window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || !rig.window.control(w->objectName().toStdString()))
            continue;
        const QRect r = rig.placed(w);
        if (r.top() >= rig.window.height())
            below.insert(w->objectName().toStdString());
        else
            EXPECT_LE(r.bottom(), rig.window.height() - 1) << w->objectName().toStdString();
    }
    std::set<std::string> expected;
    for (const PanelButton& b : panelButtons())
        if (b.geometry.top >= kExpandedAreaTop)
            expected.insert(std::string(b.name));
    for (const PanelLabel& l : panelLabels())
        if (l.geometry.top >= kExpandedAreaTop)
            expected.insert(std::string(l.name));
    expected.insert({"Frame9", "Frame15"});
    EXPECT_EQ(below, expected);
    EXPECT_EQ(expected.size(), 19u);

    rig.program.panel().setOuterHeight(kExpandedHeight);
    EXPECT_EQ(rig.window.size(), QSize(679, 508)); // the whole 7620
}

TEST(MainWindow, CtrlHTogglesFromWhicheverButtonHasTheFocus)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    QTest::keyClick(rig.window.focusWidget(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(rig.window.height(), 508);
    rig.button("Command12")->setFocus();
    QTest::keyClick(rig.button("Command12"), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(rig.window.height(), 353);
    for (Qt::KeyboardModifiers m : {Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier),
                                    Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier),
                                    Qt::KeyboardModifiers(Qt::NoModifier)}) {
        QTest::keyClick(rig.button("Command12"), Qt::Key_H, m);
        EXPECT_EQ(rig.window.height(), 353);
    }
    EXPECT_EQ(rig.sent(), 0u);
}

TEST(MainWindow, LongReceivedLineKeepsItsPlace)
{
    WindowRig rig;
    rig.program.panel().setOuterHeight(kExpandedHeight);
    QLabel* line = rig.label("Label12");
    const QRect before = line->geometry();
    const std::string text(80000, 'A');
    rig.window.setCaption("Label12", text);
    EXPECT_EQ(line->text().size(), 80000);
    EXPECT_EQ(line->geometry(), before);
    EXPECT_EQ(rig.window.size(), QSize(679, 508));
    // Drawn all the same: the start of the line shows.
    const QImage shown = line->grab().toImage();
    int ink = 0;
    for (int x = 3; x < 40; ++x)
        for (int y = 3; y < shown.height() - 3; ++y)
            ink += shown.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_GT(ink, 20);
    // Bytes above 0x7F arrive as Latin-1.
    rig.window.setCaption("LinkNotice", "port \xE9");
    EXPECT_EQ(rig.label("LinkNotice")->text(), QString::fromUtf8("port \u00E9"));
}

TEST(MainWindow, LostPortNoticeShowsInTheCollapsedWindowUntilThePortIsBack)
{
    WindowRig rig;
    ASSERT_TRUE(rig.port.isOpen());
    rig.port.availablePorts.erase(1);
    rig.port.lose("/dev/ttyUSB0: unplugged");
    QLabel* notice = rig.label("LinkNotice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().startsWith("Port lost: /dev/ttyUSB0: unplugged. Trying to reopen it")) << notice->text().toStdString();
    // Inside the collapsed client area, where the operator sees it.
    EXPECT_LE(rig.placed(notice).bottom(), rig.window.height());
    rig.clock.advance(3000);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // no box while it tries
    rig.port.availablePorts.insert(1);
    rig.clock.advance(1000);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(notice->text(), "");
    rig.button("Command44")->click();
    EXPECT_EQ(rig.port.written.back(), "CR0\r");
}

TEST(MainWindow, CommandTableHidesTheStatusFrameWithItsLabels)
{
    WindowRig rig;
    rig.program.panel().setOuterHeight(kExpandedHeight);
    rig.button("Command74")->click();
    EXPECT_FALSE(rig.window.control("Frame15")->isVisible());
    EXPECT_FALSE(rig.label("Label25")->isVisible());
    EXPECT_FALSE(rig.label("Label26")->isVisible());
    rig.program.referenceClosed();
    EXPECT_TRUE(rig.label("Label25")->isVisible());
}

TEST(MainWindow, WindowSystemCloseReachesTheHandler)
{
    WindowRig rig;
    rig.window.close();
    EXPECT_EQ(rig.closes, 1);
    EXPECT_GT(rig.window.outerWidthTwips(), kClientWidth - 1);
}

} // namespace
} // namespace orva::test
