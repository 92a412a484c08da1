#pragma once

#include "line/serial_port.h"
#include "line/timer.h"

namespace orva {

// Brings back a port that was lost after it was open: the USB adapter pulled
// and plugged back, the other end of a pty hung up and came back, a serial
// device server restarted. It tries to open the same port again, once a
// second at first and then less and less often, down to once every five
// seconds, until the port opens or the operator takes over ("COM", "END",
// closing the window). Each try waits for the outcome of the one before, so
// a slow network open never overlaps the next.
//
// Only a lost port is retried. An open that fails at start-up or in the port
// dialog is the operator's to answer, through the dialog.
class Reopen {
public:
    static constexpr int kQuickTries = 5;         // one second apart
    static constexpr int kQuickDelayMs = 1000;
    static constexpr int kLongestDelayMs = 5000;

    Reopen(SerialPort& port, Timer& timer);
    ~Reopen();
    Reopen(const Reopen&) = delete;
    Reopen& operator=(const Reopen&) = delete;

    // The open port was lost: start trying.
    void portLost();
    // The operator took over: no more tries; a try under way is abandoned.
    void stop();
    // The outcome of a try. True when the port is back (the tries are over).
    bool openFinished(bool opened);

    bool active() const { return active_; }
    bool trying() const { return trying_; }
    int tries() const { return tries_; }

    // How long to wait before try n (counting from 1), after the loss or
    // after the previous try failed.
    static int delayBefore(int tryNumber);

private:
    void tick();
    void scheduleNext();

    SerialPort& port_;
    Timer& timer_;
    bool active_ = false;
    bool trying_ = false; // a try is under way
    int tries_ = 0;
};

} // namespace orva
