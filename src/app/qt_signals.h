#pragma once

#include <QObject>

#include <functional>

namespace orva {

// Ending by SIGTERM, SIGINT or SIGHUP (kill, Ctrl+C, logout, a service
// manager) runs the program's own shut-down on the event thread. The signal
// handler only writes the signal's number to a socket; the event loop reads
// it and calls `shutDown`. A second such signal, once the first has been
// taken, ends the program the default way (should the shut-down hang).
// On Windows the same comes from the console's control events (Ctrl+C,
// Ctrl+Break as SIGINT; the console closed, logoff, shut-down as SIGTERM);
// a window program has no console and ends through its windows' close.
// One file per platform: qt_signals_posix.cpp, qt_signals_windows.cpp.
class QtTerminationSignals : public QObject {
public:
    explicit QtTerminationSignals(std::function<void(int signal)> shutDown, QObject* parent = nullptr);
    ~QtTerminationSignals() override;
    QtTerminationSignals(const QtTerminationSignals&) = delete;
    QtTerminationSignals& operator=(const QtTerminationSignals&) = delete;

    // True when the handlers are in place.
    bool installed() const { return installed_; }

private:
    // A signal came (on the event thread).
    void arrived(int signal);

    std::function<void(int)> shutDown_;
    QObject* watcher_ = nullptr; // what the platform watches with, if anything (POSIX: the socket)
    bool installed_ = false;
    bool taken_ = false;
};

} // namespace orva
