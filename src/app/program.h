#pragma once

#include "link/link.h"
#include "link/serial_port.h"
#include "link/timer.h"
#include "panel/panel.h"
#include "settings/port_dialog.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

#include <memory>

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
    virtual double mainOuterWidthTwips() const = 0;
    virtual void moveMainWindow(double leftTwips, double topTwips) = 0;
    virtual void showMainWindow() = 0;

    // Creates the port dialog's window, bound to its behaviour; it is shown
    // by showPortDialogWindow once the dialog has loaded.
    virtual PortDialogView& createPortDialogWindow(PortDialog& dialog) = 0;
    // Modal: the rest of the program waits; no owner window either way.
    virtual void showPortDialogWindow(bool modal) = 0;
    virtual void raisePortDialogWindow() = 0;

    virtual ReferenceView& createReferenceWindow(ReferenceWindow& window) = 0;
    virtual void showReferenceWindow() = 0;

    // Ends the program at once, closing every window.
    virtual void quit() = 0;
};

// The main window's behaviour: start-up, shut-down and the program-wide
// values; owns the link, the panel and the two other windows' behaviour.
class Program : public PortDialogHost, public PanelHost {
public:
    // The timers as designed, before start-up sets them.
    static constexpr int kDesignRepeatMs = 200;
    static constexpr int kDesignReplyMs = 5000;
    static constexpr int kDesignClearMs = 5500;
    static constexpr int kStartReplyMs = 1000;
    static constexpr int kStartClearMs = 1200;
    static constexpr double kAboveCentreTwips = 1350;

    Program(SerialPort& port, SettingsStore& store, Timer& timer1, Timer& timer2, Timer& timer4,
            MainView& mainView, Shell& shell);
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
    PortChoice& choice() { return choice_; }
    SerialPort& port() { return port_; }
    PortDialog* portDialog() { return portDialog_.get(); }
    ReferenceWindow* referenceWindow() { return reference_.get(); }

    // PanelHost
    void endProgram() override;
    void openPortDialogFromPanel() override;
    void openCommandTable() override;

    // PortDialogHost
    void showMainWindow() override;
    void portOpened() override;
    void choiceStored(const StoreOutcome& outcome) override;
    void portDialogClosed() override;

    // The reference window's CLOSE, and closing it by its title bar.
    void referenceClosed();

private:
    void showPortDialog(bool modal);

    SerialPort& port_;
    SettingsStore& store_;
    Shell& shell_;
    PortChoice choice_;
    Link link_;
    Panel panel_;
    MainView& mainView_;
    std::unique_ptr<PortDialog> portDialog_;
    std::unique_ptr<PortDialog> retiredDialog_; // kept until the next event
    std::unique_ptr<ReferenceWindow> reference_;
    std::unique_ptr<ReferenceWindow> retiredReference_;
    bool ended_ = false;
    bool dialogFromStartUp_ = false;
};

} // namespace orva
