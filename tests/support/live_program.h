#pragma once

// The program on a real serial port and real timers, with the view, the
// settings store and the window system faked: COM1 is `device`.
#include "fakes.h"
#include "link/qt_serial_port.h"
#include "link/qt_timer.h"
#include "settings/port_map.h"

#include <string>

namespace orva::test {

struct LiveProgram {
    explicit LiveProgram(const std::string& device)
    {
        store.values["Ports/COM1"] = device;
        store.values["StartUP/ComPort"] = "1";
        store.values["StartUP/BaudRate"] = "192";
    }
    FakeStore store;
    QtSerialPort port{[this](int n) { return devicePathForPort(n, store); }};
    QtTimer timer1;
    QtTimer timer2;
    QtTimer timer4;
    QtTimer inputGuard;
    FakeView view;
    FakeShell shell;
    Program program{port, store, timer1, timer2, timer4, inputGuard, view, shell};

    Link& link() { return program.link(); }
    void click(const char* button) { program.panel().click(button); }
};

} // namespace orva::test
