// The main panel: its tables, the commands its buttons send, press-and-hold
// repeat on the virtual clock, and the Ctrl+H height toggle.
#include "fakes.h"
#include "panel/panel_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace orva::test {
namespace {

// A named rectangle of the window, whatever kind of control it is.
struct Placed {
    std::string name;
    TwipsRect rect;
};

std::vector<Placed> everyControl()
{
    std::vector<Placed> all;
    for (const PanelButton& b : panelButtons())
        all.push_back({std::string(b.name), b.geometry});
    for (const PanelGroup& g : panelGroups()) {
        all.push_back({std::string(g.name), g.geometry});
        if (!g.titleName.empty())
            all.push_back({std::string(g.titleName), g.titleGeometry});
        if (!g.title2Name.empty())
            all.push_back({std::string(g.title2Name), g.title2Geometry});
    }
    for (const PanelLabel& l : panelLabels())
        all.push_back({std::string(l.name), l.geometry});
    return all;
}

bool overlap(const TwipsRect& a, const TwipsRect& b)
{
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

bool inside(const TwipsRect& outer, const TwipsRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right()
        && inner.bottom() <= outer.bottom();
}

const PanelLabel* findLabel(std::string_view name)
{
    for (const PanelLabel& l : panelLabels())
        if (l.name == name)
            return &l;
    return nullptr;
}

const PanelGroup* findFrame(std::string_view name)
{
    for (const PanelGroup& g : panelGroups())
        if (g.name == name)
            return &g;
    return nullptr;
}

std::string groupOf(const PanelGroup& g)
{
    return g.title2.empty() ? std::string(g.title) : std::string(g.title) + " " + std::string(g.title2);
}

TEST(PanelTable, SixtyEightButtonsOfWhichFiftyThreeSendOnClickAndTwelveRepeat)
{
    const auto buttons = panelButtons();
    ASSERT_EQ(buttons.size(), 68u);
    std::map<Action, int> count;
    for (const PanelButton& b : buttons)
        ++count[b.action];
    EXPECT_EQ(count[Action::Click], 53);
    EXPECT_EQ(count[Action::Hold], 12);
    EXPECT_EQ(count[Action::End], 1);
    EXPECT_EQ(count[Action::Com], 1);
    EXPECT_EQ(count[Action::CommandTable], 1);
    EXPECT_EQ(findPanelButton("Command16")->action, Action::End);
    EXPECT_EQ(findPanelButton("Command33")->action, Action::Com);
    EXPECT_EQ(findPanelButton("Command74")->action, Action::CommandTable);
    // Focus starts on the first row: "On" of "Power".
    EXPECT_EQ(buttons.front().name, "Command17");

    for (const PanelButton& b : buttons) {
        const bool sends = b.action == Action::Click || b.action == Action::Hold;
        EXPECT_EQ(!b.command.empty(), sends) << b.name;
        EXPECT_FALSE(b.meaning.empty()) << b.name;
        EXPECT_EQ(b.command.find('\r'), std::string_view::npos) << b.name;
        // Arrows carry a picture instead of a caption, and only the hold buttons have one.
        EXPECT_EQ(b.arrow != Arrow::None, b.action == Action::Hold) << b.name;
        EXPECT_EQ(b.caption.empty(), b.action == Action::Hold) << b.name;
        EXPECT_EQ(b.face == Face::Yellow, b.action == Action::Hold) << b.name;
        EXPECT_EQ(b.face == Face::Plain, !sends) << b.name;
    }
}

TEST(PanelTable, NamesAreUniqueAndLookupsFindThem)
{
    std::set<std::string> names;
    for (const Placed& c : everyControl())
        EXPECT_TRUE(names.insert(c.name).second) << "twice: " << c.name;
    // No two buttons send the same command.
    std::set<std::string_view> commands;
    for (const PanelButton& b : panelButtons()) {
        if (!b.command.empty()) {
            EXPECT_TRUE(commands.insert(b.command).second) << b.command;
        }
    }

    for (const PanelButton& b : panelButtons())
        EXPECT_EQ(findPanelButton(b.name), &b);
    EXPECT_EQ(findPanelButton("Command99"), nullptr);
    EXPECT_EQ(findPanelButton(""), nullptr);
    EXPECT_EQ(findRepeatButton(0), nullptr);
    EXPECT_EQ(findRepeatButton(13), nullptr);
}

TEST(PanelTable, RepeatCodesMapToTheCommandsTheirButtonsSendAtThePress)
{
    const std::pair<const char*, const char*> expected[] = {
        {"Command1", "C09"},  {"Command2", "C0A"},  {"Command5", "C3C"},  {"Command7", "C3D"},
        {"Command38", "C3B"}, {"Command8", "C3A"},  {"Command30", "C20"}, {"Command42", "C21"},
        {"Command48", "C30"}, {"Command49", "C31"}, {"Command10", "C8E"}, {"Command35", "C8F"},
    };
    for (int code = 1; code <= 12; ++code) {
        const PanelButton* b = findRepeatButton(code);
        ASSERT_NE(b, nullptr) << code;
        EXPECT_EQ(b->name, expected[code - 1].first) << code;
        EXPECT_EQ(b->command, expected[code - 1].second) << code;
        EXPECT_EQ(b->action, Action::Hold);
    }
    for (const PanelButton& b : panelButtons()) {
        if (b.action != Action::Hold) {
            EXPECT_EQ(b.repeatCode, 0) << b.name;
        }
    }
}

TEST(PanelTable, LookAlikesSendTheirOwnCommands)
{
    std::map<std::string, std::string> analogRgb; // group -> command
    for (const PanelButton& b : panelButtons())
        if (b.caption == "Analog RGB")
            analogRgb[std::string(b.group)] = std::string(b.command);
    EXPECT_EQ(analogRgb, (std::map<std::string, std::string>{{"Computer 1", "C50"}, {"Computer 2", "C06"}}));
    EXPECT_EQ(findPanelButton("Command55")->caption, "Lamp Status");
    EXPECT_EQ(findPanelButton("Command55")->command, "CR LAMPSTS");
    EXPECT_EQ(findPanelButton("Command18")->command, "C01"); // quick power off, never C02
    EXPECT_EQ(findPanelButton("Command16")->fontCentiPoints, 1200);
}

TEST(PanelTable, LayoutFitsTheClientAreaWithoutOverlaps)
{
    const TwipsRect client{0, 0, kClientWidth, kClientHeight};
    const auto all = everyControl();
    for (const Placed& c : all) {
        EXPECT_GT(c.rect.width, 0) << c.name;
        EXPECT_GT(c.rect.height, 0) << c.name;
        EXPECT_TRUE(inside(client, c.rect)) << c.name;
    }
    // Buttons and labels never overlap each other; frames only hold them.
    std::vector<Placed> solid;
    for (const PanelButton& b : panelButtons())
        solid.push_back({std::string(b.name), b.geometry});
    for (const PanelLabel& l : panelLabels())
        solid.push_back({std::string(l.name), l.geometry});
    for (const PanelGroup& g : panelGroups()) {
        if (!g.titleName.empty())
            solid.push_back({std::string(g.titleName), g.titleGeometry});
        if (!g.title2Name.empty())
            solid.push_back({std::string(g.title2Name), g.title2Geometry});
    }
    for (std::size_t i = 0; i < solid.size(); ++i)
        for (std::size_t j = i + 1; j < solid.size(); ++j)
            EXPECT_FALSE(overlap(solid[i].rect, solid[j].rect)) << solid[i].name << " / " << solid[j].name;
    const auto groups = panelGroups();
    for (std::size_t i = 0; i < groups.size(); ++i)
        for (std::size_t j = i + 1; j < groups.size(); ++j)
            EXPECT_FALSE(overlap(groups[i].geometry, groups[j].geometry))
                << groups[i].name << " / " << groups[j].name;
}

TEST(PanelTable, ButtonsLieInTheFrameOfTheirGroup)
{
    for (const PanelButton& b : panelButtons()) {
        std::vector<std::string> containers;
        for (const PanelGroup& g : panelGroups())
            if (inside(g.geometry, b.geometry))
                containers.push_back(groupOf(g));
        if (b.group.empty()) {
            EXPECT_TRUE(containers.empty()) << b.name;
        } else {
            EXPECT_EQ(containers, std::vector<std::string>{std::string(b.group)}) << b.name;
        }
    }
    for (const PanelGroup& g : panelGroups()) {
        EXPECT_EQ(g.titleName.empty(), g.title.empty()) << g.name;
        EXPECT_EQ(g.title2Name.empty(), g.title2.empty()) << g.name;
        if (!g.titleName.empty()) {
            EXPECT_TRUE(inside(g.geometry, g.titleGeometry)) << g.name;
            // and holds buttons of its group
            EXPECT_TRUE(std::any_of(panelButtons().begin(), panelButtons().end(),
                                    [&](const PanelButton& b) { return b.group == groupOf(g); }))
                << g.name;
        }
        if (!g.title2Name.empty()) {
            EXPECT_TRUE(inside(g.geometry, g.title2Geometry)) << g.name;
        }
    }
    const PanelGroup* monitorFrame = findFrame("Frame9");
    const PanelGroup* statusFrame = findFrame("Frame15");
    ASSERT_NE(monitorFrame, nullptr);
    ASSERT_NE(statusFrame, nullptr);
    for (const char* l : {"Label9", "Label10", "Label11", "Label12"}) {
        ASSERT_NE(findLabel(l), nullptr) << l;
        EXPECT_TRUE(inside(monitorFrame->geometry, findLabel(l)->geometry)) << l;
    }
    for (const char* l : {"Label25", "Label26"}) {
        ASSERT_NE(findLabel(l), nullptr) << l;
        EXPECT_TRUE(inside(statusFrame->geometry, findLabel(l)->geometry)) << l;
    }
}

TEST(PanelTable, OnlyTheMonitorReadOutsAndTheTwoWindowButtonsNeedTheExpandedHeight)
{
    std::set<std::string> expanded;
    for (const Placed& c : everyControl()) {
        if (c.rect.top >= kExpandedAreaTop) {
            expanded.insert(c.name);
        } else {
            EXPECT_LE(c.rect.bottom(), kCollapsedClientBottom) << c.name;
        }
    }
    const std::set<std::string> wanted{
        "Frame9",    "Label9",    "Label10",   "Label11",   "Label12",   "Label27",
        "Label28",   "Frame15",   "Label25",   "Label26",   "Command44", "Command45",
        "Command54", "Command47", "Command46", "Command55", "Command76", "Command74",
        "Command33"};
    EXPECT_EQ(expanded, wanted);
    // The notice must be seen whatever the height.
    const PanelLabel* notice = findLabel(monitor::kNotice);
    ASSERT_NE(notice, nullptr);
    EXPECT_LE(notice->geometry.bottom(), kCollapsedClientBottom);
}

class PanelButtons : public ::testing::Test {
protected:
    void SetUp() override { rig.startOnPort(); }
    std::size_t sent() const { return rig.port.written.size(); }
    Rig rig;
};

TEST_F(PanelButtons, EachClickSendsItsFrameAndNothingElse)
{
    // (The three extras close the port or end the program: start-up's tests
    // cover them.)
    for (const PanelButton& b : panelButtons()) {
        if (b.action != Action::Click && b.action != Action::Hold)
            continue;
        const std::size_t before = sent();
        rig.panel().click(b.name);
        if (b.action == Action::Hold) {
            EXPECT_EQ(sent(), before) << b.name; // the mouse only
            continue;
        }
        ASSERT_EQ(sent(), before + 1) << b.name;
        const std::string frame = std::string(b.command) + "\r";
        EXPECT_EQ(rig.port.written.back(), frame) << b.name;
        EXPECT_EQ(rig.link().panelCommand(), frame) << b.name;
    }
    EXPECT_EQ(sent(), 53u);
}

TEST_F(PanelButtons, LampStatusIsElevenCharactersAndTwoClicksSendTwice)
{
    rig.panel().click("Command55");
    ASSERT_EQ(sent(), 1u);
    EXPECT_EQ(rig.port.written[0].size(), 11u);
    EXPECT_EQ(rig.link().sentLine(), " C R _ L A M P S T S  [CR] ");
    rig.panel().click("Command17");
    rig.panel().click("Command17");
    EXPECT_EQ(rig.port.written, (std::vector<std::string>{"CR LAMPSTS\r", "C00\r", "C00\r"}));
}

class PanelHold : public PanelButtons {
protected:
    std::size_t countOf(const std::string& frame) const
    {
        return static_cast<std::size_t>(std::count(rig.port.written.begin(), rig.port.written.end(), frame));
    }
};

TEST_F(PanelHold, QuickPressSendsOnce)
{
    rig.panel().press("Command1");
    EXPECT_EQ(rig.port.written, std::vector<std::string>{"C09\r"});
    rig.clock.advance(99);
    rig.panel().release();
    rig.clock.advance(1000);
    EXPECT_EQ(rig.port.written, std::vector<std::string>{"C09\r"});
    EXPECT_FALSE(rig.panel().holding());
    EXPECT_EQ(rig.panel().repeatCode(), 0);
}

TEST_F(PanelHold, OneSecondSendsOnceAtThePressAndTenTimesMore)
{
    rig.panel().press("Command10"); // "Keystone" up
    EXPECT_TRUE(rig.panel().holding());
    EXPECT_EQ(rig.panel().repeatCode(), 11);
    EXPECT_EQ(rig.timer1.interval(), 100);
    EXPECT_EQ(rig.timer2.interval(), 150);
    EXPECT_EQ(rig.timer4.interval(), 200);
    rig.clock.advance(50);
    EXPECT_EQ(sent(), 1u); // no early repeat
    rig.clock.advance(950);
    rig.panel().release();
    EXPECT_EQ(sent(), 11u);
    EXPECT_EQ(countOf("C8E\r"), 11u);
    rig.clock.advance(5000);
    EXPECT_EQ(sent(), 11u);
    EXPECT_FALSE(rig.timer1.isEnabled());
}

// Timer1 keeps running with its interval: the time a tick takes (the send,
// the monitor) is not added to the next interval.
TEST_F(PanelHold, RepeatKeepsItsCadenceWhateverASendTakes)
{
    std::vector<std::int64_t> at;
    rig.port.onWrite = [this, &at] {
        at.push_back(rig.clock.now());
        rig.clock.spend(7); // each send and its rendering take 7 ms
    };
    rig.panel().press("Command1");
    rig.clock.advance(2000);
    rig.panel().release();
    ASSERT_EQ(at.size(), 21u); // at the press, then every 100 ms from its end
    for (std::size_t i = 2; i < at.size(); ++i)
        EXPECT_EQ(at[i] - at[i - 1], 100) << "repeat " << i;
}

TEST_F(PanelHold, HoldOnALineThatTakesNoDataQueuesAtMostTheBound)
{
    rig.port.lineTakesData = false;
    rig.panel().press("Command1"); // "Volume" up
    rig.clock.advance(1000);
    // Every repeat shows on the monitor; only those within 200 ms of the
    // first waiting one were queued.
    EXPECT_EQ(rig.link().sentLine(), " C 0 9  [CR] ");
    EXPECT_EQ(sent(), 2u);
    EXPECT_NE(rig.link().notice().find("not taking data"), std::string::npos);
    rig.panel().release();
    rig.port.drain();
    rig.port.lineTakesData = true;
    rig.panel().press("Command1");
    rig.panel().release();
    EXPECT_EQ(sent(), 3u);
    EXPECT_EQ(rig.link().notice(), "");
}

TEST_F(PanelHold, EveryRepeatButtonRepeatsItsOwnCommand)
{
    for (int code = 1; code <= 12; ++code) {
        const PanelButton* b = findRepeatButton(code);
        rig.port.written.clear();
        rig.panel().press(b->name);
        rig.clock.advance(300);
        rig.panel().release();
        EXPECT_EQ(rig.port.written, std::vector<std::string>(4, std::string(b->command) + "\r")) << b->name;
    }
}

TEST_F(PanelHold, SecondPressIsIgnoredAndEitherReleaseEndsTheHold)
{
    rig.panel().press("Command1");
    rig.clock.advance(150);
    rig.panel().press("Command2"); // another mouse button, or another arrow
    EXPECT_EQ(rig.panel().repeatCode(), 1);
    rig.clock.advance(150);
    EXPECT_EQ(rig.port.written, std::vector<std::string>(4, "C09\r")); // at 0, 100, 200, 300
    rig.panel().release(); // the first of the two buttons to come up
    rig.clock.advance(500);
    EXPECT_EQ(sent(), 4u);
    rig.panel().release(); // the second one: idle, nothing more goes out
    EXPECT_EQ(sent(), 4u);
    // After the release a new press starts a new hold.
    rig.panel().press("Command2");
    EXPECT_EQ(rig.port.written.back(), "C0A\r");
    EXPECT_EQ(rig.panel().repeatCode(), 2);
}

TEST_F(PanelHold, LastCommandNeverShowsTheTimeOutMark)
{
    rig.panel().press("Command5");
    // During the hold every send restarts the 150 ms time-out before it is due.
    for (int t = 0; t < 100; ++t) {
        rig.clock.advance(10);
        EXPECT_NE(rig.link().receivedLine(), " X X X X") << t;
    }
    rig.panel().release();
    EXPECT_FALSE(rig.timer2.isEnabled());
    EXPECT_EQ(rig.link().sentLine(), "");
    EXPECT_EQ(rig.link().receivedLine(), "");
    for (int t = 0; t < 300; ++t) {
        rig.clock.advance(10);
        EXPECT_NE(rig.link().receivedLine(), " X X X X") << t;
    }
}

TEST_F(PanelHold, LateReplyShowsUntilTheClearOneSecondAfterTheRelease)
{
    rig.panel().press("Command30");
    rig.clock.advance(250);
    rig.panel().release();
    rig.clock.advance(100);
    rig.port.receive("\x06\r");
    EXPECT_EQ(rig.link().receivedLine(), "  [ACK]  [CR] ");
    rig.clock.advance(899);
    EXPECT_EQ(rig.link().receivedLine(), "  [ACK]  [CR] ");
    rig.clock.advance(1);
    EXPECT_EQ(rig.link().receivedLine(), "");
    EXPECT_FALSE(rig.timer4.isEnabled());
}

TEST_F(PanelHold, IntervalsAfterAHoldTimeOutAClickAfter500Ms)
{
    rig.panel().press("Command48");
    rig.clock.advance(120);
    rig.panel().release();
    EXPECT_EQ(rig.timer2.interval(), 500);
    EXPECT_EQ(rig.timer4.interval(), 1000);
    rig.clock.advance(2000);

    rig.panel().click("Command44");
    rig.clock.advance(499);
    EXPECT_EQ(rig.link().receivedLine(), "");
    rig.clock.advance(1);
    EXPECT_EQ(rig.link().receivedLine(), " X X X X");
    rig.clock.advance(500);
    EXPECT_EQ(rig.link().receivedLine(), ""); // the clear, 1000 ms after the send
}

TEST_F(PanelHold, ReleaseWhileIdleStillClearsTheMonitorAndTheBuffer)
{
    rig.panel().click("Command44");
    rig.port.receive("0");
    EXPECT_EQ(rig.link().buffer(), "0");
    rig.clock.advance(100);
    rig.panel().release(); // no hold in progress
    EXPECT_EQ(rig.link().sentLine(), "");
    EXPECT_EQ(rig.link().receivedLine(), "");
    EXPECT_TRUE(rig.link().buffer().empty());
    EXPECT_FALSE(rig.timer2.isEnabled());
    // The clear timer now counts 1000 ms from the release.
    EXPECT_TRUE(rig.timer4.isEnabled());
    EXPECT_EQ(rig.timer4.dueAt(), rig.clock.now() + 1000);
    EXPECT_EQ(sent(), 1u);
}

// A hold whose release cannot come (the window went away, a modal window
// took over, the mouse went elsewhere) ends as its release would end it,
// once; an idle panel is left alone.
TEST_F(PanelHold, InterruptionEndsTheHoldOnceWithTheReleaseSteps)
{
    rig.panel().press("Command1");
    rig.clock.advance(250);
    rig.port.receive("\x06");
    rig.panel().interrupted();
    EXPECT_FALSE(rig.panel().holding());
    EXPECT_EQ(rig.panel().repeatCode(), 0);
    EXPECT_FALSE(rig.timer1.isEnabled());
    EXPECT_FALSE(rig.timer2.isEnabled());
    EXPECT_EQ(rig.timer2.interval(), 500);
    EXPECT_EQ(rig.link().sentLine(), "");
    EXPECT_TRUE(rig.link().buffer().empty());
    EXPECT_EQ(rig.timer4.dueAt(), rig.clock.now() + 1000);
    rig.clock.advance(5000);
    EXPECT_EQ(countOf("C09\r"), 3u); // at 0, 100 and 200 ms, then no more

    // Several reasons at once, or one while idle: nothing more happens.
    rig.panel().click("Command44");
    const std::string sentLine = rig.link().sentLine();
    const auto due = rig.timer4.dueAt();
    rig.clock.advance(10);
    rig.panel().interrupted();
    rig.panel().interrupted();
    EXPECT_EQ(rig.link().sentLine(), sentLine);
    EXPECT_EQ(rig.timer4.dueAt(), due);
}

TEST_F(PanelHold, ARepeatTickWithNoMouseButtonDownEndsTheHold)
{
    rig.panel().press("Command49");
    rig.clock.advance(200);
    EXPECT_EQ(sent(), 3u);
    rig.view.mouseDown = false; // released where the window never heard of it
    rig.clock.advance(100);
    EXPECT_EQ(sent(), 3u); // that tick sends nothing
    EXPECT_FALSE(rig.panel().holding());
    EXPECT_FALSE(rig.timer1.isEnabled());
    EXPECT_EQ(rig.link().sentLine(), "");
    EXPECT_EQ(rig.timer4.interval(), 1000);
    // The next press is a new hold.
    rig.view.mouseDown = true;
    rig.panel().press("Command48");
    EXPECT_EQ(rig.port.written.back(), "C30\r");
    EXPECT_TRUE(rig.panel().holding());
}

// For a double click's time after another window closed, the panel takes no
// click and no press: the second click of a double click on OK must not
// send what lies under the dialog.
TEST_F(PanelButtons, PressesWithinTheGuardAreIgnored)
{
    rig.panel().ignorePressesFor(400);
    EXPECT_TRUE(rig.panel().ignoringPresses());
    for (const char* button : {"Command17", "Command44", "Command16", "Command33", "Command74"})
        rig.panel().click(button);
    rig.panel().press("Command1");
    EXPECT_FALSE(rig.panel().holding());
    rig.panel().release();
    rig.clock.advance(399);
    rig.panel().click("Command17");
    EXPECT_EQ(sent(), 0u);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.shell.quits, 0);
    EXPECT_EQ(rig.shell.dialogsCreated, 0);
    EXPECT_EQ(rig.shell.referencesCreated, 0);
    rig.clock.advance(1);
    EXPECT_FALSE(rig.panel().ignoringPresses());
    rig.panel().click("Command17");
    rig.panel().press("Command1");
    EXPECT_EQ(rig.port.written, (std::vector<std::string>{"C00\r", "C09\r"}));
    // Keys are no pointer: Ctrl+H, and a key or an assistive technology's
    // press on a button, work all along.
    rig.panel().release();
    rig.panel().ignorePressesFor(400);
    rig.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(rig.view.outerHeight, kExpandedHeight);
    rig.panel().click("Command17", Panel::By::Key);
    EXPECT_EQ(rig.port.written.back(), "C00\r");
}

class PanelHeightToggle : public PanelButtons {
protected:
    int height() const { return rig.view.outerHeight; }
};

TEST_F(PanelHeightToggle, CtrlHAloneTogglesAndTwiceReturns)
{
    ASSERT_EQ(height(), kCollapsedHeight);
    EXPECT_FALSE(rig.view.expandedAreaShown);
    rig.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(height(), kExpandedHeight);
    EXPECT_TRUE(rig.view.expandedAreaShown);
    rig.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(height(), kCollapsedHeight);
    EXPECT_FALSE(rig.view.expandedAreaShown);
    // Bits beyond Shift, Ctrl and Alt do not count.
    rig.panel().keyDown(kKeyH, kCtrlMask | 8);
    EXPECT_EQ(height(), kExpandedHeight);
}

TEST_F(PanelHeightToggle, OtherCombinationsLeaveTheHeight)
{
    const std::pair<int, int> others[] = {
        {kKeyH, kShiftMask | kCtrlMask}, {kKeyH, kCtrlMask | kAltMask}, {kKeyH, 0},
        {kKeyH, kShiftMask},             {kKeyH, kAltMask},             {'G', kCtrlMask},
        {'h', kCtrlMask},                {17, kCtrlMask}, // Ctrl itself
    };
    for (const auto& [key, state] : others) {
        rig.panel().keyDown(key, state);
        EXPECT_EQ(height(), kCollapsedHeight) << key << " " << state;
    }
    EXPECT_EQ(sent(), 0u);
}

TEST_F(PanelHeightToggle, SevenThousandCountsAsExpanded)
{
    rig.panel().setOuterHeight(kExpandedThreshold);
    EXPECT_TRUE(rig.view.expandedAreaShown);
    rig.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(height(), kCollapsedHeight);
    rig.panel().setOuterHeight(kExpandedThreshold - 1);
    rig.panel().keyDown(kKeyH, kCtrlMask);
    EXPECT_EQ(height(), kExpandedHeight);
}

} // namespace
} // namespace orva::test
