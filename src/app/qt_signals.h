#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace orva {

// Ending by SIGTERM, SIGINT or SIGHUP (kill, Ctrl+C, logout, a service
// manager) runs the program's own shut-down on the event thread. The signal
// handler only writes the signal's number to a socket; the event loop reads
// it and calls `shutDown`. A second such signal, once the first has been
// taken, ends the program the default way (should the shut-down hang).
class QtTerminationSignals : public QObject {
public:
    explicit QtTerminationSignals(std::function<void(int signal)> shutDown, QObject* parent = nullptr);
    ~QtTerminationSignals() override;
    QtTerminationSignals(const QtTerminationSignals&) = delete;
    QtTerminationSignals& operator=(const QtTerminationSignals&) = delete;

    // True when the handlers are in place.
    bool installed() const { return notifier_ != nullptr; }

private:
    void arrived();

    std::function<void(int)> shutDown_;
    QSocketNotifier* notifier_ = nullptr;
    bool taken_ = false;
};

} // namespace orva
