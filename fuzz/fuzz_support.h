#pragma once

// Minimal stand-ins for the port, timers and view, so a fuzz target can run
// the behaviour without the toolkit.
#include "link/serial_port.h"
#include "link/timer.h"
#include "link/view.h"
#include "panel/panel.h"

#include <string>

namespace orva::fuzz {

class Port : public SerialPort {
public:
    bool setPortNumber(int n) override { number = n; return isUsablePort(n); }
    int portNumber() const override { return number; }
    void setSettings(const std::string&) override {}
    bool open() override { return opened = true; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    bool write(std::string_view) override { return opened; }
    std::string read() override { std::string out; out.swap(waiting); return out; }
    std::size_t bytesToWrite() const override { return 0; }
    std::string errorText() const override { return "fuzz"; }
    std::string deviceName() const override { return "fuzz"; }
    void deliver(std::string piece)
    {
        waiting += piece;
        if (listener())
            listener()->onComm(kCommEventReceive);
    }
    int number = 0;
    bool opened = true;
    std::string waiting;
};

class ManualTimer : public Timer {
public:
    void setInterval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override { enabled_ = on; }
    bool isEnabled() const override { return enabled_; }
    void tick() { if (enabled_) fire(); }

private:
    int interval_ = 0;
    bool enabled_ = false;
};

class NullView : public MainView {
public:
    void setCaption(std::string_view, const std::string&) override {}
    void setControlVisible(std::string_view, bool) override {}
    void setOuterHeight(int) override {}
    void setExpandedAreaShown(bool) override {}
    bool mouseButtonDown() const override { return true; }
};

} // namespace orva::fuzz
