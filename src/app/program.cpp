#include "app/program.h"

#include "panel/panel_table.h"
#include "reference/reference_window.h"

#include <algorithm>

namespace orva {

Program::Program(const ProgramParts& parts)
    : port_(parts.port), store_(parts.store), shell_(parts.shell),
      timer1_(parts.timers.makeTimer(program_timers::kRepeat)),
      timer2_(parts.timers.makeTimer(program_timers::kReply)),
      timer4_(parts.timers.makeTimer(program_timers::kClear)),
      inputGuard_(parts.timers.makeTimer(program_timers::kInputGuard)),
      reopenTimer_(parts.timers.makeTimer(program_timers::kReopen)),
      reopen_(port_, *reopenTimer_),
      link_(port_, *timer2_, *timer4_, parts.mainView),
      panel_(link_, *timer1_, *inputGuard_, parts.mainView, *this),
      mainView_(parts.mainView)
{
    link_.setReopen(&reopen_);
    link_.enter(TimerSituation::Design);
    shell_.setMainFrameHandler([this] { mainFrameChanged(); });
    shell_.attachMainWindow(&panel_, [this] { mainWindowClosed(); });
}

Program::~Program()
{
    link_.setReopen(nullptr);
    shell_.attachMainWindow(nullptr, {});
    shell_.setMainFrameHandler({});
    // Windows still open outlive this object only as empty shells: their
    // behaviour does nothing more.
    if (portDialog_)
        portDialog_->abandon();
    if (reference_)
        reference_->abandon();
}

void Program::formLoad()
{
    panel_.setOuterHeight(kCollapsedHeight);

    choice_.portNumber = storedPortNumber(store_);
    if (!isUsablePort(choice_.portNumber)) {
        showPortDialog(true);
        return;
    }
    choice_.baudCode = storedBaudCode(store_);
    port_.setSettings(lineSettings(choice_.baudCode));
    if (!port_.setPortNumber(choice_.portNumber) || !port_.open()) {
        if (!ended_) // not when the program was ended while the port opened
            showPortDialog(true, openFailureOf(choice_.portNumber, port_));
        return;
    }
    link_.enter(TimerSituation::AfterStartUp);

    placedByStartUp_ = true;
    placeMainWindow();

    panel_.resetRepeatCode();
    link_.resetTransaction();
    link_.portOpened();
    shell_.showMainWindow(); // the start-up window shows when start-up ends
}

namespace {

// Where a window of `size` that would start at `at` starts so that all of it
// lies on [start, start + length); one larger than that starts at `start`.
double keptInside(double at, double size, double start, double length)
{
    if (size >= length)
        return start;
    return std::clamp(at, start, start + length - size);
}

} // namespace

void Program::placeMainWindow()
{
    const Shell::Size screen = shell_.screenTwips();
    const double width = shell_.mainOuterWidthTwips();
    const auto left = static_cast<float>((screen.width - width) / 2);
    const auto top = static_cast<float>((screen.height - kCollapsedHeight) / 2 - kAboveCentreTwips);
    // Centred as designed, but the whole frame, title bar included, stays on
    // the area the desktop gives to windows, whatever the screen and scale.
    const Shell::Area area = shell_.availableTwips();
    shell_.moveMainWindow(keptInside(left, width, area.left, area.width),
                          keptInside(top, panel_.outerHeight(), area.top, area.height));
}

void Program::mainFrameChanged()
{
    // Start-up centres the window before it is shown, when its frame can
    // only be guessed: centre it again once the real frame is known. Later
    // changes leave the window where the operator may have put it.
    if (!placedByStartUp_)
        return;
    placedByStartUp_ = false;
    placeMainWindow();
}

void Program::queryUnload()
{
    stopReopen();
    if (port_.isOpen())
        port_.close();
}

void Program::mainWindowClosed()
{
    endProgram();
}

void Program::endProgram()
{
    if (ended_)
        return;
    ended_ = true;
    queryUnload();
    if (!port_.isOpen())
        port_.close(); // an open still under way (a network port at start-up) is given up
    shell_.quit();
}

void Program::openPortDialogFromPanel()
{
    stopReopen();
    if (port_.isOpen())
        port_.close();
    choice_.previousPortNumber = choice_.portNumber;
    choice_.previousBaudCode = choice_.baudCode;
    showPortDialog(false);
}

void Program::stopReopen()
{
    if (!reopen_.active())
        return;
    reopen_.stop();
    link_.reopenStopped();
}

void Program::showPortDialog(bool modal, const std::optional<OpenFailure>& failure)
{
    if (portDialog_) {
        shell_.raisePortDialogWindow();
        return;
    }
    dialogFromStartUp_ = modal;
    auto dialog = std::make_unique<PortDialog>(choice_, port_, store_, *this);
    portDialog_ = dialog.get();
    shell_.createPortDialogWindow(std::move(dialog));
    portDialog_->load();
    if (failure)
        portDialog_->reportOpenFailure(*failure);
    shell_.showPortDialogWindow(modal);
}

void Program::showMainWindow()
{
    shell_.showMainWindow();
}

void Program::portOpened()
{
    link_.portOpened();
}

void Program::choiceStored(const StoreOutcome& outcome)
{
    // Said for as long as it holds: the next start will ask again.
    link_.setStandingNotice(notStoredNotice(choice_.portNumber, choice_.baudCode, outcome));
}

void Program::portDialogClosed(PortDialog& dialog)
{
    if (&dialog != portDialog_)
        return;
    // Its window frees it; a new one is created at the next opening.
    portDialog_ = nullptr;
    guardPanel();
    // Start-up waited for this dialog; however it ended, start-up is over
    // now and the main window shows (with the port closed, if it was closed
    // through the window system).
    if (dialogFromStartUp_) {
        dialogFromStartUp_ = false;
        shell_.showMainWindow();
    }
}

void Program::warningClosed()
{
    guardPanel();
}

void Program::guardPanel()
{
    // The window that just went may have left the main window under the
    // pointer: the second click of a double click must not land on it.
    panel_.ignorePressesFor(shell_.doubleClickIntervalMs());
}

void Program::openCommandTable()
{
    mainView_.setControlVisible(kStatusFrame, false);
    link_.enter(TimerSituation::CommandListOpen);
    if (!reference_) {
        auto window = std::make_unique<ReferenceWindow>(link_);
        reference_ = window.get();
        window->setCloseHandler([this] { referenceClosed(); });
        shell_.createReferenceWindow(std::move(window));
        reference_->load();
    }
    shell_.showReferenceWindow();
}

void Program::referenceClosed()
{
    // Its window frees it; a new one is created at the next opening.
    reference_ = nullptr;
    guardPanel();
    shell_.showMainWindow();
    mainView_.setControlVisible(kStatusFrame, true);
    link_.enter(TimerSituation::CommandListClosed);
}

} // namespace orva
