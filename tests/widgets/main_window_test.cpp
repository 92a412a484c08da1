// The main window: built from the panel tables, it shows what they say and
// hands clicks, holds and keys to the program.
#include "fakes.h"
#include "qt_keys.h"
#include "qt_wait.h"

#include "panel/panel_table.h"
#include "panel/qt_main_window.h"
#include "qtui/qt_twips.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QMessageBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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
    FakePort port;
    FakeStore store;
    FakeShell shell;
    QtMainWindow window;
    Program program{{port, store, clock, window, shell}};
    FakeTimer& timer2 = clock.timer(program_timers::kReply);
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
    for (const char* red : {"Label27", "Label28", "LinkNotice"})
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
    rig.program.panel().setOuterHeight(kExpandedHeight); // the read-outs too
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.label("Label12")->text() == " 0 0  [CR] "; }))
        << rig.label("Label12")->text().toStdString();
    EXPECT_FALSE(rig.label("Label28")->isHidden());
}

// Return clicks a focused button as Space does; a held key clicks once,
// whatever its auto-repeat; the arrows still ignore the keyboard.
TEST(MainWindow, SpaceAndReturnClickOncePerStroke)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    XKeyboard keys;
    QPushButton* on = rig.button("Command17");
    on->setFocus();
    keys.stroke(on, Qt::Key_Return);
    keys.stroke(on, Qt::Key_Enter);
    keys.stroke(on, Qt::Key_Space);
    EXPECT_EQ(rig.port.written, std::vector<std::string>(3, "C00\r"));

    rig.port.written.clear();
    for (bool flagged : {false, true}) {
        keys.hold(on, Qt::Key_Space, 25, flagged);
        keys.hold(on, Qt::Key_Return, 25, flagged);
    }
    EXPECT_EQ(rig.port.written, std::vector<std::string>(4, "C00\r"));

    // Return held on another window's button, the focus then here: its
    // repeats and its release click nothing.
    rig.port.written.clear();
    keys.heldFromElsewhere(on, Qt::Key_Return, 10);
    EXPECT_TRUE(rig.port.written.empty());

    QPushButton* arrow = rig.button("Command1");
    arrow->setFocus();
    keys.stroke(arrow, Qt::Key_Return);
    keys.stroke(arrow, Qt::Key_Space);
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_FALSE(rig.program.panel().holding());

    // "END" takes Return too.
    rig.button("Command16")->setFocus();
    keys.stroke(rig.button("Command16"), Qt::Key_Return);
    EXPECT_EQ(rig.shell.quits, 1);
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

// The controls of the part below the collapsed height, by the tables.
std::set<std::string> expandedAreaControls()
{
    std::set<std::string> names{"Frame9", "Frame15"};
    for (const PanelButton& b : panelButtons())
        if (b.geometry.top >= kExpandedAreaTop)
            names.insert(std::string(b.name));
    for (const PanelLabel& l : panelLabels())
        if (l.geometry.top >= kExpandedAreaTop)
            names.insert(std::string(l.name));
    return names;
}

TEST(MainWindow, OuterHeightsIncludeTheRealFrame)
{
    WindowRig rig;
    ASSERT_TRUE(waitFor([&] { return rig.window.frameGeometry().height() > rig.window.height(); }));
    // 5780 twips outer, whatever the title bar takes of it.
    EXPECT_EQ(rig.window.frameGeometry().height(), twipsToPixels(kCollapsedHeight));
    EXPECT_EQ(rig.window.width(), 679);
    rig.program.panel().setOuterHeight(kExpandedHeight);
    EXPECT_EQ(rig.window.frameGeometry().height(), twipsToPixels(kExpandedHeight));
    EXPECT_EQ(rig.window.outerWidthTwips(), rig.window.frameGeometry().width() * 15.0);
}

// Collapsed, the expanded part is out of reach: not drawn, not on the Tab
// chain, not pressable through the accessibility interface; the monitor is
// still written, and shows with the visibility the behaviour gave it.
TEST(MainWindow, CollapsedHeightPutsTheExpandedAreaOutOfReach)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    const std::set<std::string> expanded = expandedAreaControls();
    EXPECT_EQ(expanded.size(), 19u);
    for (QWidget* w : rig.window.findChildren<QWidget*>()) {
        const std::string name = w->objectName().toStdString();
        if (name.empty() || !rig.window.control(name))
            continue;
        if (expanded.count(name)) {
            EXPECT_FALSE(w->isVisible()) << name;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr) << name;
            EXPECT_TRUE(a->state().invisible) << name;
            continue;
        }
        EXPECT_TRUE(w->isVisible() || w->isHidden()) << name;
        if (w->isVisible()) { // all of it inside the collapsed client area
            EXPECT_LE(rig.placed(w).bottom(), rig.window.height() - 1) << name;
        }
    }

    // Tab walks the whole chain without entering the expanded part.
    std::set<std::string> reached;
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(rig.window.focusWidget(), Qt::Key_Tab);
        reached.insert(rig.window.focusWidget()->objectName().toStdString());
    }
    for (const std::string& name : expanded)
        EXPECT_EQ(reached.count(name), 0u) << name;
    EXPECT_EQ(reached.count("Command16"), 1u); // "END" is on the chain

    // A screen reader's "press" on "Status" or "COM" does nothing.
    for (const char* name : {"Command44", "Command33", "Command74"}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(rig.button(name));
        ASSERT_NE(a->actionInterface(), nullptr);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    waitFor([] { return false; }, 300); // a press acts after a short delay
    EXPECT_EQ(rig.sent(), 0u);
    EXPECT_TRUE(rig.port.isOpen());

    // Written while collapsed, seen once expanded.
    rig.button("Command17")->click();
    rig.port.receive("\x06\r");
    rig.program.panel().setOuterHeight(kExpandedHeight);
    EXPECT_EQ(rig.label("Label11")->text(), " C 0 0  [CR] ");
    EXPECT_TRUE(rig.label("Label11")->isVisible());
    EXPECT_TRUE(rig.label("Label28")->isVisible());
    for (const std::string& name : expanded)
        EXPECT_TRUE(rig.window.control(name)->isEnabled()) << name;

    // What the behaviour hid stays hidden across the heights.
    rig.program.panel().setOuterHeight(kCollapsedHeight);
    rig.button("Command17")->click();
    rig.clock.advance(rig.timer2.interval()); // no reply: the legends go
    rig.window.setControlVisible("Frame15", false);
    rig.program.panel().setOuterHeight(kExpandedHeight);
    EXPECT_FALSE(rig.label("Label28")->isVisible());
    EXPECT_FALSE(rig.window.control("Frame15")->isVisible());
    EXPECT_TRUE(rig.window.control("Frame9")->isVisible());
    EXPECT_TRUE(rig.button("Command44")->isVisible());

    // Tab reaches the read-outs again.
    reached.clear();
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(rig.window.focusWidget(), Qt::Key_Tab);
        reached.insert(rig.window.focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(reached.count("Command44"), 1u);
    EXPECT_EQ(reached.count("Command33"), 1u);
}

// Counts the paint events a widget receives.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// Bytes one by one, far faster than a screen shows them: the received
// line's label is repainted about once a frame, and ends as the model.
TEST(MainWindow, ReceivedLineIsRepaintedAboutOnceAFrame)
{
    WindowRig rig;
    rig.program.panel().setOuterHeight(kExpandedHeight);
    QLabel* line = rig.label("Label12");
    PaintCount count;
    line->installEventFilter(&count);
    const int pieces = 300;
    for (int i = 0; i < pieces; ++i) {
        rig.port.receive(std::string(1, static_cast<char>(i)));
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return line->text() == latin1(rig.program.link().receivedLine()); }))
        << line->text().size() << " of " << rig.program.link().receivedLine().size();
    EXPECT_LT(count.paints, pieces / 3);
    EXPECT_GT(count.paints, 0);
}

// A line longer than its label that only grows beyond the edge looks the
// same: the label takes the text without being drawn again. Any other change
// is drawn.
TEST(MainWindow, ReceivedLineIsRedrawnWhenWhatShowsChanges)
{
    WindowRig rig;
    rig.program.panel().setOuterHeight(kExpandedHeight);
    QLabel* line = rig.label("Label12");
    auto shows = [&](const std::string& caption) {
        return QTest::qWaitFor([&] { return line->text() == latin1(caption); });
    };
    const std::string as(2000, 'A'); // far more than the label can show
    rig.window.setCaption("Label12", as);
    ASSERT_TRUE(shows(as));
    QTest::qWait(50); // drawn
    const QImage before = line->grab().toImage();
    PaintCount count;
    line->installEventFilter(&count);

    rig.window.appendCaption("Label12", "BBBB", as + "BBBB");
    ASSERT_TRUE(shows(as + "BBBB"));
    QTest::qWait(50);
    EXPECT_EQ(count.paints, 0);
    EXPECT_EQ(line->grab().toImage(), before);

    const std::string bs = "B" + as;
    rig.window.setCaption("Label12", bs);
    ASSERT_TRUE(shows(bs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return count.paints > 0; }));
    EXPECT_NE(line->grab().toImage(), before);
    rig.window.setCaption("Label12", "");
    ASSERT_TRUE(shows(""));
}

TEST(MainWindow, LongReceivedLineKeepsItsPlace)
{
    WindowRig rig;
    rig.program.panel().setOuterHeight(kExpandedHeight);
    QLabel* line = rig.label("Label12");
    const QRect before = line->geometry();
    const std::string text(80000, 'A');
    rig.window.setCaption("Label12", text);
    EXPECT_TRUE(QTest::qWaitFor([&] { return line->text().size() == 80000; }));
    EXPECT_EQ(line->geometry(), before);
    EXPECT_EQ(rig.window.frameGeometry().height(), twipsToPixels(kExpandedHeight));
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
    rig.button("Command17")->click(); // "Power" "On", in the collapsed part
    ASSERT_FALSE(rig.port.written.empty());
    EXPECT_EQ(rig.port.written.back(), "C00\r");
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

// The pressed arrow can no longer receive its release: the hold ends then,
// not at the next click, and the release if it still comes is not a second
// one.
TEST(MainWindow, AHoldEndsWhenTheWindowCannotReceiveItsRelease)
{
    struct Way {
        const char* what;
        std::function<void(WindowRig&)> act;
        std::function<void(WindowRig&)> undo;
    };
    const Way ways[] = {
        {"hidden", [](WindowRig& r) { r.window.hide(); }, [](WindowRig& r) { r.window.show(); }},
        {"minimised", [](WindowRig& r) { r.window.showMinimized(); },
         [](WindowRig& r) { r.window.showNormal(); }},
        {"a modal box", [](WindowRig&) {
             auto* box = new QMessageBox(QMessageBox::Warning, "Error", "Retry Comport");
             box->setAttribute(Qt::WA_DeleteOnClose);
             box->setWindowModality(Qt::ApplicationModal); // as exec() shows it
             box->show();
         },
         [](WindowRig&) {
             if (QWidget* box = QApplication::activeModalWidget())
                 box->close();
         }},
    };
    for (const Way& way : ways) {
        WindowRig rig;
        ASSERT_TRUE(rig.active) << way.what;
        QPushButton* up = rig.button("Command1");
        QTest::mousePress(up, Qt::LeftButton);
        rig.clock.advance(150);
        ASSERT_TRUE(rig.program.panel().holding()) << way.what;
        way.act(rig);
        EXPECT_FALSE(rig.program.panel().holding()) << way.what;
        EXPECT_FALSE(up->isDown()) << way.what;
        rig.clock.advance(1000);
        EXPECT_EQ(rig.port.written, std::vector<std::string>(2, "C09\r")) << way.what;
        way.undo(rig);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == nullptr; }));

        // Written since the interruption, then the late release: untouched.
        rig.program.panel().setOuterHeight(kExpandedHeight);
        rig.button("Command44")->click();
        QTest::mouseRelease(up, Qt::LeftButton);
        EXPECT_EQ(rig.label("Label11")->text(), " C R 0  [CR] ") << way.what;
    }
}

// What a repeat tick asks: is a mouse button down right now.
TEST(MainWindow, MouseButtonDownFollowsTheMouse)
{
    WindowRig rig;
    ASSERT_TRUE(rig.active);
    EXPECT_FALSE(rig.window.mouseButtonDown());
    QTest::mousePress(rig.button("Command30"), Qt::RightButton);
    EXPECT_TRUE(rig.window.mouseButtonDown());
    QTest::mouseRelease(rig.button("Command30"), Qt::RightButton);
    EXPECT_FALSE(rig.window.mouseButtonDown());
}

TEST(MainWindow, StatusLabelHasTheBorderOfTheOtherLinesAndRedText)
{
    WindowRig rig;
    rig.program.panel().setOuterHeight(kExpandedHeight);
    rig.window.setCaption("Label25", " Power ON");
    rig.window.setCaption("Label11", " C R 0  [CR] ");
    const QImage status = rig.label("Label25")->grab().toImage();
    const QImage sent = rig.label("Label11")->grab().toImage();
    // The border: the same colour all round as the sent line's.
    const QColor border = sent.pixelColor(0, 0);
    EXPECT_NE(border, QColor(Qt::white));
    for (const QPoint p : {QPoint(0, 0), QPoint(status.width() - 1, 0), QPoint(0, status.height() - 1),
                           QPoint(status.width() / 2, status.height() - 1), QPoint(status.width() / 2, 0)})
        EXPECT_EQ(status.pixelColor(p), border) << p.x() << "," << p.y();
    EXPECT_EQ(status.pixelColor(1, 1), QColor(Qt::white));
    // The text: red, and only red.
    int red = 0;
    for (int x = 2; x < status.width() - 2; ++x) {
        for (int y = 2; y < status.height() - 2; ++y) {
            const QColor c = status.pixelColor(x, y);
            if (c == QColor(Qt::white))
                continue;
            EXPECT_GT(c.red(), 200) << x << "," << y;
            red += c.green() < 80 && c.blue() < 80;
        }
    }
    EXPECT_GT(red, 20);
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
