// orva-control: remote control for the QLN40/QLN45/QLN50 projectors over
// RS-232C.
#include "app/program.h"
#include "app/qt_application.h"
#include "app/qt_shell.h"
#include "app/qt_signals.h"
#include "link/qt_host_lookup.h"
#include "link/qt_serial_port.h"
#include "link/qt_timer.h"
#include "panel/qt_main_window.h"
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

class ShownWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !reported_) {
            reported_ = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(500, qApp, &QApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool reported_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    orva::configureApplication();
    // The X server gone (a logout), or any fatal exit Qt takes: the port and
    // its lock file are released all the same.
    orva::QtSerialPort::releaseOnFatalExit();

    orva::QtSettingsStore store;
    orva::QtSerialPort port(orva::portMapOf(store));
    orva::QtTimerSource timers;
    orva::QtMainWindow window;
    orva::QtShell shell(window);
    orva::Program program({port, store, timers, window, shell});
    // kill, Ctrl+C, logout: the same shut-down as END, so the port is
    // closed and its lock released.
    orva::QtTerminationSignals terminationSignals([&program](int) { program.endProgram(); });

    // For the start-up benchmark: say when the main window first shows, then
    // end half a second later.
    if (qEnvironmentVariableIsSet("ORVA_BENCH_REPORT_SHOWN")) {
        auto* watcher = new ShownWatcher(&window);
        window.installEventFilter(watcher);
    }

    program.formLoad();
    if (program.ended()) // already, while the port opened: the quit ended that wait only
        return orva::endWithoutWaitingForLookups(0);
    return orva::endWithoutWaitingForLookups(app.exec());
}
