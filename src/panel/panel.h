#pragma once

#include "link/link.h"
#include "line/timer.h"
#include "link/view.h"

#include <cstdint>
#include <string_view>

namespace orva {

// The main window as the panel sees it.
class MainView : public View {
public:
    // Outer height in twips, title bar and border included.
    virtual void setOuterHeight(int twips) = 0;
    // The part that only the expanded height shows: on show, or out of
    // reach altogether (not drawn, not reachable by the keyboard nor by
    // assistive technologies). The visibility the behaviour gave each of its
    // controls is kept meanwhile.
    virtual void setExpandedAreaShown(bool shown) = 0;
    // Whether a mouse button is down at this moment.
    virtual bool mouseButtonDown() const = 0;
};

// What the panel's extra buttons need of the program.
class PanelHost {
public:
    virtual ~PanelHost() = default;
    virtual void endProgram() = 0;          // "END"
    virtual void openPortDialogFromPanel() = 0; // "COM"
    virtual void openCommandTable() = 0;    // "Command Table"
};

inline constexpr int kKeyH = 72;
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// The main panel: its buttons' clicks, press-and-hold repeat (Timer1) and
// the Ctrl+H height toggle.
class Panel {
public:
    static constexpr int kRepeatIntervalMs = 100;
    // Timer1 as designed; every press sets kRepeatIntervalMs before it
    // starts.
    static constexpr int kDesignRepeatMs = 200;

    // `inputGuard` times the pauses of ignorePressesFor.
    Panel(Link& link, Timer& repeatTimer, Timer& inputGuard, MainView& view, PanelHost& host);
    ~Panel()
    {
        repeatTimer_.setHandler({});
        inputGuard_.setHandler({});
    }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // What clicked a button: the pointer, or a key on the focused button
    // and an assistive technology's "press" (which no double click can
    // bring by mistake).
    enum class By { Pointer, Key };
    // Click on the button of that name. Hold buttons have no click handler:
    // a click on one does nothing.
    void click(std::string_view button, By by = By::Pointer);
    // Mouse press on a hold button, with any mouse button.
    void press(std::string_view button);
    // Mouse release of any hold button (reaches the pressed one even when
    // the pointer has left it).
    void release();
    // The pressed hold button can no longer receive its release: the window
    // went out of sight or was minimised, a modal window blocks it, or it
    // lost the mouse. A hold in progress ends as its release would end it.
    void interrupted();
    // The pointer's clicks and presses are ignored for `ms` from now:
    // another window of the program has just closed and the main window may
    // lie under the pointer, where the second click of a double click would
    // land. Keys and assistive technologies act all along.
    void ignorePressesFor(int ms);
    bool ignoringPresses() const { return inputGuard_.isEnabled(); }
    // Key press seen by the main window before the focused control.
    void keyDown(int keyCode, int shiftState);

    void setOuterHeight(int twips);
    int outerHeight() const { return outerHeight_; }

    bool holding() const { return holdFlag_ != 0; }
    std::uint8_t repeatCode() const { return repeatCode_; }
    void resetRepeatCode() { repeatCode_ = 0; }

    void repeatTick(); // Timer1_Timer

private:
    void contMDown(); // Cont_M_down
    void contMUp();   // Cont_M_up
    void send(std::string_view command);

    Link& link_;
    Timer& repeatTimer_;
    Timer& inputGuard_;
    MainView& view_;
    PanelHost& host_;

    std::int16_t holdFlag_ = 0;
    std::uint8_t repeatCode_ = 0;
    int outerHeight_ = kInitialHeight;

    static constexpr int kInitialHeight = 8100;
};

} // namespace orva
