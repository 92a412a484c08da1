// orva-control: remote control for the QLN40/QLN45/QLN50 projectors over
// RS-232C.
#include "app/command_line.h"
#include "app/program.h"
#include "app/qt_application.h"
#include "app/qt_shell.h"
#include "app/qt_signals.h"
#include "ports/qt_host_lookup.h"
#include "ports/qt_serial_port.h"
#include "ports/qt_timer.h"
#include "panel/qt_main_window.h"
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

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

// What the toolkit says while it reaches the display: held back, and said
// only once it got there. When it cannot get there it ends the program with
// a page of advice and an abort; one line and status 1 instead.
std::vector<QString> heldMessages;

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        heldMessages.push_back(qFormatLogMessage(type, context, text));
        return;
    }
    const bool noServer = std::any_of(heldMessages.begin(), heldMessages.end(), [](const QString& m) {
        return m.contains(QLatin1String("connect to display"));
    });
    const char* display = std::getenv("DISPLAY");
    if (noServer || heldMessages.empty()) {
        const std::string why = display && *display ? "cannot connect to display " + std::string(display)
                                                    : std::string("no display server answers");
        std::fprintf(stderr, "%s\n", orva::noDisplayLine(why).c_str());
    } else {
        // Something else stopped the window system (a plugin that is not
        // installed, say): what the toolkit said last, on the same one line.
        std::fprintf(stderr, "orva-control: the window system cannot start: %s\n",
                     qPrintable(heldMessages.back().section(QLatin1Char('\n'), 0, 0)));
    }
    std::_Exit(orva::kNoDisplayStatus);
}

// The command line before any window: the exit status when the program is
// done already (--help, --version, no display), nothing when it runs.
std::optional<int> answerBeforeWindows(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv, argv + argc);
    if (const auto done = orva::answerCommandLine(arguments, ORVA_VERSION, stdout))
        return done;
    if (const auto why = orva::missingDisplay(arguments, {std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                                          std::getenv("WAYLAND_DISPLAY")})) {
        std::fprintf(stderr, "%s\n", orva::noDisplayLine(*why).c_str());
        return orva::kNoDisplayStatus;
    }
    return std::nullopt;
}

// What is left once the toolkit has taken its own options: not for us.
std::optional<int> refuseLeftOvers()
{
    const QStringList left = QCoreApplication::arguments().mid(1);
    if (left.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "orva-control: unknown argument '%s'\nTry 'orva-control --help'.\n",
                 qPrintable(left.front()));
    return orva::kUsageStatus;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto done = answerBeforeWindows(argc, argv))
        return *done;
    const QtMessageHandler previous = qInstallMessageHandler(holdStartMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& m : heldMessages)
        std::fprintf(stderr, "%s\n", qPrintable(m));
    heldMessages.clear();
    if (const auto done = refuseLeftOvers())
        return *done;
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
