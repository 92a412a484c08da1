#pragma once

// The program on a real serial port and real timers, with the view, the
// settings store and the window system faked: COM1 is `device`.
#include "fakes.h"
#include "link/qt_serial_port.h"
#include "link/qt_timer.h"
#include "settings/port_map.h"

#include <QTest>

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
    QtSerialPort port{portMapOf(store)};
    QtTimer timer1;
    QtTimer timer2;
    QtTimer timer4;
    QtTimer inputGuard;
    QtTimer reopenTimer;
    FakeView view;
    FakeShell shell;
    Program program{port, store, timer1, timer2, timer4, inputGuard, reopenTimer, view, shell};

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
