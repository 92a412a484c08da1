#pragma once

#include "app/program.h"
#include "line/serial_port.h"
#include "virtual_clock.h"
#include "panel/panel.h"
#include "reference/reference_window.h"
#include "settings/port_dialog.h"
#include "settings/settings_store.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orva::test {

// A serial port with a scripted far end.
class FakePort : public SerialPort {
public:
    // COM1 to COM15.
    static std::set<int> everyPort()
    {
        std::set<int> ports;
        for (int n = kFirstPort; n <= kLastPort; ++n)
            ports.insert(n);
        return ports;
    }

    bool setPortNumber(int n) override;
    int portNumber() const override { return number_; }
    void setSettings(const std::string& s) override { settings_ = s; settingsLog.push_back(s); }
    bool open() override;
    // With asyncOpens, an open begun here waits for finishOpen().
    void beginOpen() override;
    void close() override
    {
        open_ = false;
        pendingOpen = false;
        unsent = 0;
    }
    bool isOpen() const override { return open_; }
    bool write(std::string_view frame) override;
    std::string read() override;
    std::size_t bytesToWrite() const override { return unsent; }
    std::string errorText() const override { return error_; }
    std::string deviceName() const override { return "COM" + std::to_string(number_); }

    // The far end: characters arrive and the receive event is raised.
    void receive(const std::string& piece);
    void raise(int event);
    void lose(const std::string& why);
    // Ends the open begun by beginOpen (asyncOpens): it opens if the port
    // is available then.
    void finishOpen();

    const std::string& settings() const { return settings_; }

    std::set<int> availablePorts = everyPort();
    std::set<int> heldPorts; // held by another program
    bool failWrites = false;
    bool asyncOpens = false;
    bool pendingOpen = false;
    std::function<void()> onWrite; // runs at each write that goes out
    // The line: while it takes no data, written bytes stay unsent.
    bool lineTakesData = true;
    std::size_t unsent = 0;
    void drain() { unsent = 0; }
    std::vector<std::string> written;
    std::vector<std::string> settingsLog;
    int opens = 0;

private:
    int number_ = 0;
    std::string settings_;
    bool open_ = false;
    std::string waiting_;
    std::string error_;
};

class FakeStore : public SettingsStore {
public:
    std::string read(const std::string& section, const std::string& key,
                     const std::string& fallback) const override;
    StoreOutcome write(const std::string& section, const Entries& entries) override;
    StoredEntry readCurrent(const std::string& section, const std::string& key) const override;
    std::map<std::string, std::string> values; // "Section/Key"
    std::set<std::string> unreadable;          // "Section/Key": there, but not text
    int writes = 0;
    mutable int currentReads = 0;
    // When its problem is set, every write is refused with it.
    StoreOutcome refusal;
};

// Records captions and visibility by control name.
class FakeView : public MainView {
public:
    void setCaption(std::string_view control, const std::string& text) override
    {
        captions[std::string(control)] = text;
        ++captionWrites;
    }
    // Grows its own copy, as the main window does; a tail that does not
    // make the whole caption is counted.
    void appendCaption(std::string_view control, std::string_view tail, const std::string& whole) override
    {
        std::string& caption = captions[std::string(control)];
        caption += tail;
        ++captionWrites;
        ++appends;
        if (caption != whole)
            ++appendMismatches;
    }
    void setControlVisible(std::string_view control, bool on) override
    {
        visible[std::string(control)] = on;
    }
    void setOuterHeight(int twips) override { outerHeight = twips; }
    void setExpandedAreaShown(bool shown) override { expandedAreaShown = shown; }
    bool mouseButtonDown() const override { return mouseDown; }

    std::string caption(const std::string& c) const
    {
        auto it = captions.find(c);
        return it == captions.end() ? std::string() : it->second;
    }
    // Controls start visible unless told otherwise.
    bool isVisible(const std::string& c) const
    {
        auto it = visible.find(c);
        return it == visible.end() || it->second;
    }

    std::map<std::string, std::string> captions;
    std::map<std::string, bool> visible;
    int outerHeight = 0;
    int captionWrites = 0;
    int appends = 0;
    int appendMismatches = 0;
    bool expandedAreaShown = true;
    bool mouseDown = true; // the operator keeps holding unless a test lets go
};

class FakeDialogView : public PortDialogView {
public:
    void setCaption(std::string_view control, const std::string& text) override
    {
        captions[std::string(control)] = text;
    }
    void setControlVisible(std::string_view, bool) override {}
    void setChecked(std::string_view option, bool on) override { checked[std::string(option)] = on; }
    void selectText(std::string_view field, int start, int length) override
    {
        selection = {std::string(field), start, length};
    }
    void showWarning(const std::string& text, const std::string& title, const std::string& detail) override
    {
        warnings.push_back(title + ": " + text);
        details.push_back(detail);
    }
    void showOpenFailure(const std::string&, const std::string& full) override { failure = full; }
    void closeWindow() override { closed = true; }

    struct Selection {
        std::string field;
        int start = -1;
        int length = -1;
    } selection;
    std::map<std::string, std::string> captions;
    std::map<std::string, bool> checked;
    std::vector<std::string> warnings;
    std::vector<std::string> details;
    std::string failure; // the red line
    bool closed = false;
};

class FakeReferenceView : public ReferenceView {
public:
    void setCaption(std::string_view control, const std::string& text) override
    {
        captions[std::string(control)] = text;
    }
    void setControlVisible(std::string_view control, bool on) override
    {
        visible[std::string(control)] = on;
    }
    void setCurrentIndex(std::string_view list, int index) override
    {
        current[std::string(list)] = index;
    }
    void setFocus(std::string_view control) override { focus = std::string(control); }
    void setOuterHeight(int twips) override { outerHeight = twips; }
    void setTop(std::string_view control, int twips) override { tops[std::string(control)] = twips; }
    void closeWindow() override { closed = true; }

    std::map<std::string, std::string> captions;
    std::map<std::string, bool> visible;
    std::map<std::string, int> current;
    std::map<std::string, int> tops;
    std::string focus;
    int outerHeight = 0;
    bool closed = false;
};

// The window system: records what the program asked of it.
class FakeShell : public Shell {
public:
    Size screenTwips() const override { return screen; }
    Area availableTwips() const override { return area ? *area : Area{0, 0, screen.width, screen.height}; }
    double mainOuterWidthTwips() const override { return outerWidth; }
    void moveMainWindow(double left, double top) override
    {
        moved = true;
        movedLeft = left;
        movedTop = top;
    }
    void showMainWindow() override { ++mainShown; }
    void attachMainWindow(Panel* p, std::function<void()> closed) override
    {
        panel = p;
        closeHandler = std::move(closed);
    }
    void setMainFrameHandler(std::function<void()> handler) override { frameHandler = std::move(handler); }
    int doubleClickIntervalMs() const override { return doubleClickMs; }
    // Like a window, the shell keeps each behaviour until it is itself gone.
    void createPortDialogWindow(std::unique_ptr<PortDialog> dialog) override
    {
        ++dialogsCreated;
        dialogView = FakeDialogView{};
        dialog->attach(dialogView);
        dialogs.push_back(std::move(dialog));
    }
    void showPortDialogWindow(bool modal) override { dialogModal.push_back(modal); }
    void raisePortDialogWindow() override { ++dialogRaised; }
    void createReferenceWindow(std::unique_ptr<ReferenceWindow> window) override
    {
        ++referencesCreated;
        referenceView = FakeReferenceView{};
        window->attach(referenceView);
        references.push_back(std::move(window));
    }
    void showReferenceWindow() override { ++referenceShown; }
    void quit() override { ++quits; }

    Size screen{20490, 15360}; // 1366 x 1024 pixels
    std::optional<Area> area;   // the whole screen unless set
    double outerWidth = 10305;
    bool moved = false;
    double movedLeft = 0;
    double movedTop = 0;
    int mainShown = 0;
    int dialogsCreated = 0;
    std::vector<bool> dialogModal;
    int dialogRaised = 0;
    int referencesCreated = 0;
    int referenceShown = 0;
    int quits = 0;
    int doubleClickMs = 400;
    std::function<void()> frameHandler;
    Panel* panel = nullptr;              // the main window's clicks go there
    std::function<void()> closeHandler; // and its closing here
    FakeDialogView dialogView;
    FakeReferenceView referenceView;
    std::vector<std::unique_ptr<PortDialog>> dialogs;
    std::vector<std::unique_ptr<ReferenceWindow>> references;
};

// What the port dialog tells the program, counted.
class FakePortDialogHost : public PortDialogHost {
public:
    void showMainWindow() override { ++shown; }
    void portOpened() override { ++opened; }
    void choiceStored(const StoreOutcome& outcome) override { stored.push_back(outcome); }
    void portDialogClosed(PortDialog&) override { ++closed; }
    void warningClosed() override { ++warnings; }
    int shown = 0;
    int opened = 0;
    int closed = 0;
    int warnings = 0;
    std::vector<StoreOutcome> stored;
};

// Hands everything on to another main view (a real window, say); a program
// that wants to watch or to stand in for part of it overrides what it needs.
class MainViewRelay : public MainView {
public:
    explicit MainViewRelay(MainView& next) : next_(next) {}
    void setCaption(std::string_view control, const std::string& text) override
    {
        next_.setCaption(control, text);
    }
    void appendCaption(std::string_view control, std::string_view tail, const std::string& whole) override
    {
        next_.appendCaption(control, tail, whole);
    }
    void setControlVisible(std::string_view control, bool on) override { next_.setControlVisible(control, on); }
    void setOuterHeight(int twips) override { next_.setOuterHeight(twips); }
    void setExpandedAreaShown(bool shown) override { next_.setExpandedAreaShown(shown); }
    bool mouseButtonDown() const override { return next_.mouseButtonDown(); }

private:
    MainView& next_;
};

// A whole program on fakes and the virtual clock.
struct Rig {
    VirtualClock clock;
    FakePort port;
    FakeStore store;
    FakeView view;
    FakeShell shell;
    Program program{{port, store, clock, view, shell}};
    // The program's timers.
    FakeTimer& timer1 = clock.timer(program_timers::kRepeat);
    FakeTimer& timer2 = clock.timer(program_timers::kReply);
    FakeTimer& timer4 = clock.timer(program_timers::kClear);
    FakeTimer& inputGuard = clock.timer(program_timers::kInputGuard);
    FakeTimer& reopenTimer = clock.timer(program_timers::kReopen);

    Rig() { program.link().setClock(clock); }
    Link& link() { return program.link(); }
    Panel& panel() { return program.panel(); }
    void storeSettings(const std::string& comPort, const std::string& baud);
    // Start-up with a port that opens: COM1, 19200 baud.
    void startOnPort(int n = 1, const std::string& baud = "192");
};

} // namespace orva::test
