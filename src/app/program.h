#pragma once

#include "link/link.h"
#include "line/reopen.h"
#include "line/serial_port.h"
#include "line/timer.h"
#include "panel/panel.h"
#include "settings/port_dialog.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace orva {

class ReferenceWindow;
class ReferenceView;

// The window system as the program needs it: screen size, placing and
// showing the main window, creating and showing the other two windows, and
// ending.
class Shell {
public:
    virtual ~Shell() = default;

    struct Size {
        double width = 0;
        double height = 0;
    };
    virtual Size screenTwips() const = 0;
    // The part of the screen the desktop leaves to windows (without panels
    // and docks), in the same twips.
    struct Area {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
    };
    virtual Area availableTwips() const = 0;
    // Frame included: a guess until the window system has framed the window.
    virtual double mainOuterWidthTwips() const = 0;
    virtual void moveMainWindow(double leftTwips, double topTwips) = 0;
    virtual void showMainWindow() = 0;
    // Hands the main window's clicks, holds and keys to `panel`, and its
    // closing through the window system to `closed`; nullptr (and no
    // handler) lets go of both.
    virtual void attachMainWindow(Panel* panel, std::function<void()> closed) = 0;
    // Runs once the window system has put its frame around the main window
    // (its outer size is known only then), and whenever that frame changes.
    virtual void setMainFrameHandler(std::function<void()> handler) = 0;
    // The longest pause between the two clicks of a double click.
    virtual int doubleClickIntervalMs() const = 0;

    // Creates the port dialog's window, which attaches itself to the
    // behaviour and owns it from then on: the two go together, when the
    // window has closed. It is shown by showPortDialogWindow once the dialog
    // has loaded.
    virtual void createPortDialogWindow(std::unique_ptr<PortDialog> dialog) = 0;
    // Modal: the rest of the program waits; no owner window either way.
    virtual void showPortDialogWindow(bool modal) = 0;
    virtual void raisePortDialogWindow() = 0;

    // The same for the command list window.
    virtual void createReferenceWindow(std::unique_ptr<ReferenceWindow> window) = 0;
    virtual void showReferenceWindow() = 0;

    // Ends the program at once, closing every window.
    virtual void quit() = 0;
};

// The window timers of the program, by the names it asks its TimerSource
// for them.
namespace program_timers {
inline constexpr std::string_view kRepeat = "Timer1";        // press-and-hold repeat
inline constexpr std::string_view kReply = "Timer2";         // reply time-out
inline constexpr std::string_view kClear = "Timer4";         // monitor clear
inline constexpr std::string_view kInputGuard = "InputGuard"; // the panel's pause after a window closed
inline constexpr std::string_view kReopen = "Reopen";        // the automatic reopen of a lost port
} // namespace program_timers

// What a program is made of: the world it runs in. Every program (the
// window, the screenshot tool, the benchmarks, the tests) is wired from
// these by the Program itself.
struct ProgramParts {
    SerialPort& port;
    SettingsStore& store;
    TimerSource& timers;
    MainView& mainView;
    Shell& shell;
};

// The main window's behaviour: start-up, shut-down and the program-wide
// values; owns its timers, the link, the panel and the two other windows'
// behaviour.
class Program : public PortDialogHost, public PanelHost {
public:
    static constexpr double kAboveCentreTwips = 1350;

    explicit Program(const ProgramParts& parts);
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void formLoad();    // Form_Load
    void queryUnload(); // Form_QueryUnload: the main window is closing
    // The main window was closed through the window system: the program
    // ends with it, whatever other window is open.
    void mainWindowClosed();

    Link& link() { return link_; }
    Panel& panel() { return panel_; }
    Reopen& reopen() { return reopen_; }
    PortChoice& choice() { return choice_; }
    SerialPort& port() { return port_; }
    // The open port dialog and command list window, or nullptr.
    PortDialog* portDialog() { return portDialog_; }
    ReferenceWindow* referenceWindow() { return reference_; }

    // PanelHost
    void endProgram() override;
    bool ended() const { return ended_; }
    void openPortDialogFromPanel() override;
    void openCommandTable() override;

    // PortDialogHost
    void showMainWindow() override;
    void portOpened() override;
    void choiceStored(const StoreOutcome& outcome) override;
    void portDialogClosed(PortDialog& dialog) override;
    void warningClosed() override;

    // The reference window's CLOSE, and closing it by its title bar.
    void referenceClosed();

private:
    // `failure`: why the stored port did not open, for the dialog to say.
    void showPortDialog(bool modal, const std::optional<OpenFailure>& failure = std::nullopt);
    void placeMainWindow();
    void mainFrameChanged();
    void guardPanel();
    void stopReopen();

    SerialPort& port_;
    SettingsStore& store_;
    Shell& shell_;
    // Made before, and taken down after, everything that uses them.
    std::unique_ptr<Timer> timer1_;
    std::unique_ptr<Timer> timer2_;
    std::unique_ptr<Timer> timer4_;
    std::unique_ptr<Timer> inputGuard_;
    std::unique_ptr<Timer> reopenTimer_;
    PortChoice choice_;
    Reopen reopen_; // before the link, which refers to it
    Link link_;
    Panel panel_;
    MainView& mainView_;
    // Owned by their windows; set while open.
    PortDialog* portDialog_ = nullptr;
    ReferenceWindow* reference_ = nullptr;
    bool ended_ = false;
    bool dialogFromStartUp_ = false;
    bool placedByStartUp_ = false; // and not yet with the real frame
};

} // namespace orva
