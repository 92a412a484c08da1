#pragma once

// The program on a real serial port and real timers, with the view, the
// settings store and the window system faked: COM1 is `device`.
#include "fakes.h"
#include "ports/qt_serial_port.h"
#include "ports/qt_timer.h"
#include "settings/port_map.h"

#include <QTest>

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace orva::test {

// Window timers that can be found again by name.
class NamedQtTimers : public TimerSource {
public:
    std::unique_ptr<Timer> makeTimer(std::string_view name) override
    {
        auto timer = std::make_unique<QtTimer>();
        made_[std::string(name)] = timer.get();
        return timer;
    }
    Timer& operator[](std::string_view name) const { return *made_.at(std::string(name)); }

private:
    std::map<std::string, Timer*> made_;
};

struct LiveProgram {
    explicit LiveProgram(const std::string& device)
    {
        store.values["Ports/COM1"] = device;
        store.values["StartUP/ComPort"] = "1";
        store.values["StartUP/BaudRate"] = "192";
    }
    FakeStore store;
    QtSerialPort port{portMapOf(store)};
    NamedQtTimers timers;
    FakeView view;
    FakeShell shell;
    Program program{{port, store, timers, view, shell}};
    Timer& timer1 = timers[program_timers::kRepeat];
    Timer& timer4 = timers[program_timers::kClear];

    Link& link() { return program.link(); }
    // As an operator would: after a window closed, the panel pauses for a
    // double click's time before it takes the next click.
    void click(const char* button)
    {
        (void)QTest::qWaitFor([this] { return !program.panel().ignoringPresses(); }, 5000);
        program.panel().click(button);
    }
};

} // namespace orva::test
