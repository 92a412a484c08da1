#include "app/qt_signals.h"

#include <QMetaObject>

#include <atomic>
#include <csignal>

#include <windows.h>

namespace orva {
namespace {

std::atomic<QObject*> gWatcher{nullptr};
std::function<void(int)> gDeliver; // set while gWatcher is; called on the event thread
std::atomic<bool> gTaken{false};
std::atomic<bool> gShutDownDone{false};

// Runs on a thread the system starts for the event.
BOOL WINAPI controlEvent(DWORD event)
{
    QObject* watcher = gWatcher.load();
    if (!watcher || gTaken.exchange(true))
        return FALSE; // the default: the process ends at once
    const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    QMetaObject::invokeMethod(
        watcher,
        [signal] {
            if (gDeliver)
                gDeliver(signal);
            gShutDownDone = true;
        },
        Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The system ends the process once this returns: give the shut-down
        // its time first (the system allows some 5 s).
        for (int i = 0; i < 40 && !gShutDownDone; ++i)
            Sleep(100);
    }
    return TRUE;
}

} // namespace

QtTerminationSignals::QtTerminationSignals(std::function<void(int)> shutDown, QObject* parent)
    : QObject(parent), shutDown_(std::move(shutDown))
{
    if (gWatcher.load())
        return; // one watcher per program
    gDeliver = [this](int signal) { arrived(signal); };
    gWatcher = this;
    installed_ = SetConsoleCtrlHandler(controlEvent, TRUE) != 0;
    if (!installed_) {
        gWatcher = nullptr;
        gDeliver = nullptr;
    }
}

QtTerminationSignals::~QtTerminationSignals()
{
    if (!installed_)
        return;
    SetConsoleCtrlHandler(controlEvent, FALSE);
    gWatcher = nullptr;
    gDeliver = nullptr;
}

void QtTerminationSignals::arrived(int signal)
{
    if (taken_)
        return;
    taken_ = true; // a second event ends the program at once
    if (shutDown_)
        shutDown_(signal);
}

} // namespace orva
