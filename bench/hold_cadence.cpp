// The cadence of a press-and-hold on real window timers: one adjustment
// button held for a while, the time between consecutive sends measured at
// the port, with the main window showing every send on its monitor.
//
//   orva-bench-hold [SECONDS]      (default 10 per scenario)
//
// Runs with QT_QPA_PLATFORM=offscreen as well as on a desktop.
#include "app/program.h"
#include "app/qt_shell.h"
#include "fakes.h"
#include "ports/qt_timer.h"
#include "panel/panel_table.h"
#include "panel/qt_main_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The main window, with the mouse button held all along: the bench presses
// the button through the panel, not with a real mouse.
class HeldMouseView : public orva::test::MainViewRelay {
public:
    using MainViewRelay::MainViewRelay;
    bool mouseButtonDown() const override { return true; }
};

struct Figures {
    std::size_t intervals = 0;
    double mean = 0, p50 = 0, p99 = 0, maxDeviation = 0;
};

Figures measure(const std::vector<Clock::time_point>& sends)
{
    std::vector<double> ms;
    for (std::size_t i = 1; i < sends.size(); ++i)
        ms.push_back(std::chrono::duration<double, std::milli>(sends[i] - sends[i - 1]).count());
    Figures f;
    if (ms.empty())
        return f;
    f.intervals = ms.size();
    double sum = 0;
    for (double v : ms) {
        sum += v;
        f.maxDeviation = std::max(f.maxDeviation, std::abs(v - orva::Panel::kRepeatIntervalMs));
    }
    f.mean = sum / static_cast<double>(ms.size());
    std::sort(ms.begin(), ms.end());
    auto rank = [&ms](double q) {
        const auto i = static_cast<std::size_t>(std::ceil(q * static_cast<double>(ms.size()))) - 1;
        return ms[std::min(i, ms.size() - 1)];
    };
    f.p50 = rank(0.50);
    f.p99 = rank(0.99);
    return f;
}

void runLoopFor(int ms)
{
    QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, static_cast<int>(deadline.remainingTime()));
}

Figures hold(int seconds, int replyAfterMs, std::size_t& sendsOut)
{
    // An open port that notes when each frame goes out and can answer it.
    orva::test::FakePort port;
    std::vector<Clock::time_point> sends;
    port.onWrite = [&] {
        sends.push_back(Clock::now());
        if (replyAfterMs >= 0)
            QTimer::singleShot(replyAfterMs, Qt::PreciseTimer, [&port] { port.receive("\x06\r"); });
    };
    orva::test::FakeStore store;
    store.values["StartUP/ComPort"] = "1";
    store.values["StartUP/BaudRate"] = "192";
    orva::QtTimerSource timers;
    orva::QtMainWindow window;
    HeldMouseView view(window);
    orva::QtShell shell(window);
    orva::Program program({port, store, timers, view, shell});
    program.formLoad();
    program.panel().setOuterHeight(orva::kExpandedHeight); // the monitor on show
    runLoopFor(200);

    program.panel().press("Command1"); // "Volume" up
    runLoopFor(seconds * 1000);
    program.panel().release();
    sendsOut = sends.size();
    return measure(sends);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    struct Scenario {
        const char* name;
        int replyAfterMs;
    };
    const Scenario scenarios[] = {
        {"no reply", -1},
        {"ACK+CR 30 ms after each send", 30},
    };
    std::printf("Hold of \"Volume\" up for %d s per scenario, repeat interval %d ms (QTimer, %s)\n\n",
                seconds, orva::Panel::kRepeatIntervalMs, qPrintable(QApplication::platformName()));
    std::printf("%-30s %6s %10s %10s %10s %10s %14s\n", "scenario", "sends", "intervals", "mean ms",
                "p50 ms", "p99 ms", "max |dev| ms");
    for (const Scenario& s : scenarios) {
        std::size_t sends = 0;
        const Figures f = hold(seconds, s.replyAfterMs, sends);
        std::printf("%-30s %6zu %10zu %10.3f %10.3f %10.3f %14.3f\n", s.name, sends, f.intervals, f.mean,
                    f.p50, f.p99, f.maxDeviation);
    }
    return 0;
}
