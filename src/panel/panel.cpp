#include "panel/panel.h"

#include "panel/panel_table.h"

#include <string>

namespace orva {

Panel::Panel(Link& link, Timer& repeatTimer, Timer& inputGuard, MainView& view, PanelHost& host)
    : link_(link), repeatTimer_(repeatTimer), inputGuard_(inputGuard), view_(view), host_(host)
{
    repeatTimer_.setInterval(kDesignRepeatMs);
    repeatTimer_.setHandler([this] { repeatTick(); });
    inputGuard_.setHandler([this] { inputGuard_.setEnabled(false); });
}

void Panel::send(std::string_view command)
{
    link_.setPanelCommand(std::string(command) + '\r');
    link_.hyouji(link_.panelCommand(), kModeSend);
}

void Panel::click(std::string_view button, By by)
{
    const PanelButton* b = findPanelButton(button);
    if (!b || (by == By::Pointer && ignoringPresses()))
        return;
    switch (b->action) {
    case Action::Click:
        send(b->command);
        break;
    case Action::Hold:
        break;
    case Action::End:
        host_.endProgram();
        break;
    case Action::Com:
        host_.openPortDialogFromPanel();
        break;
    case Action::CommandTable:
        host_.openCommandTable();
        break;
    }
}

void Panel::press(std::string_view button)
{
    const PanelButton* b = findPanelButton(button);
    if (!b || b->action != Action::Hold || ignoringPresses())
        return;
    if (holdFlag_ != 0)
        return; // a second mouse button while holding
    holdFlag_ = 1;
    repeatCode_ = static_cast<std::uint8_t>(b->repeatCode);
    link_.setPanelCommand(std::string(b->command) + '\r');
    contMDown();
}

void Panel::release()
{
    contMUp();
}

void Panel::interrupted()
{
    // Only a hold ends here: unlike a real release, nothing happens while
    // idle, so however many of the reasons come together the release steps
    // run once.
    if (holdFlag_ != 0)
        contMUp();
}

void Panel::ignorePressesFor(int ms)
{
    inputGuard_.setInterval(ms);
    inputGuard_.setEnabled(true);
}

void Panel::contMDown()
{
    repeatTimer_.setInterval(kRepeatIntervalMs);
    link_.enter(TimerSituation::Holding);
    link_.hyouji(link_.panelCommand(), kModeSend);
    repeatTimer_.setEnabled(true);
}

void Panel::repeatTick()
{
    if (repeatCode_ == 0)
        return;
    if (!view_.mouseButtonDown()) {
        // The release went somewhere else (another program took the mouse):
        // the hold is over all the same.
        contMUp();
        return;
    }
    const PanelButton* b = findRepeatButton(repeatCode_);
    if (!b)
        return;
    send(b->command);
    // Enabled again, as it is: it keeps running with its interval. Switching
    // it on anew would restart its countdown from here, adding the time of
    // this tick to every interval.
    if (!repeatTimer_.isEnabled())
        repeatTimer_.setEnabled(true);
}

void Panel::contMUp()
{
    repeatCode_ = 0;
    repeatTimer_.setEnabled(false);
    link_.stopReplyTimeout(); // no time-out for the last command of the hold
    link_.startMonitorClear();
    link_.clearMonitorLines();
    // Also restarts the running monitor clear: it comes one interval after
    // the release.
    link_.enter(TimerSituation::AfterHold);
    link_.clearBuffer();
    holdFlag_ = 0;
}

void Panel::keyDown(int keyCode, int shiftState)
{
    if ((shiftState & 7) != kCtrlMask || keyCode != kKeyH)
        return;
    setOuterHeight(outerHeight_ >= kExpandedThreshold ? kCollapsedHeight : kExpandedHeight);
}

void Panel::setOuterHeight(int twips)
{
    outerHeight_ = twips;
    view_.setOuterHeight(twips);
    // What lies in the expanded part is out of reach in the collapsed
    // height, not merely cut off.
    view_.setExpandedAreaShown(twips >= kExpandedThreshold);
    link_.setComShown(twips >= kExpandedThreshold);
}

} // namespace orva
