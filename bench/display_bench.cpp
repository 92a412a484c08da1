// Figures on a real display (X11 with a window manager; scripts/bench-display
// provides Xvfb and openbox): the main window expanded and painted as an
// operator sees it.
//
//   orva-bench-display [--seconds N] [--json FILE] [--only stream|hold]
//
// 1. Received bytes one at a time at 1,920 a second (a 19200-baud line), all
//    256 values: the program's CPU, and how far the received line on screen
//    (its label's text, which is drawn whenever what shows of it changes) is
//    behind the model.
// 2. The same at 20,000 bytes a second in 10 ms pieces, with "Status"
//    clicked every second (else the reply buffer fills and nothing changes).
// 3. A held "Volume" up against the simulator, timed at the simulator's log:
//    the repeat cadence, without and with a 20 kB/s stream from it.
#include "app/program.h"
#include "app/qt_shell.h"
#include "fakes.h"
#include "ports/qt_serial_port.h"
#include "ports/qt_timer.h"
#include "panel/panel_table.h"
#include "panel/qt_main_window.h"
#include "settings/port_map.h"
#include "bench_common.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace orva;

namespace {

using bench::nowUs;
using bench::percentile;
using bench::runFor;
using bench::Sim;
double processCpuSeconds() { return bench::cpuSeconds(RUSAGE_SELF); }
double threadCpuSeconds() { return bench::cpuSeconds(RUSAGE_THREAD); }

// The window, with the time of every change of the model's received line.
class TimedView : public test::MainViewRelay {
public:
    explicit TimedView(QtMainWindow& w) : MainViewRelay(w), window(w) {}
    void setCaption(std::string_view control, const std::string& text) override
    {
        MainViewRelay::setCaption(control, text);
        if (control == monitor::kReceivedLine)
            note(text.size());
    }
    void appendCaption(std::string_view control, std::string_view tail, const std::string& whole) override
    {
        MainViewRelay::appendCaption(control, tail, whole);
        if (control == monitor::kReceivedLine)
            note(whole.size());
    }
    // The benchmark holds the button by calling the panel: the mouse is
    // down for as long as it says.
    bool mouseButtonDown() const override { return holding || window.mouseButtonDown(); }

    // The model's line is now `length` long, and the label's is as it is
    // (the label is looked at whenever anything happens to the line).
    void note(std::size_t length)
    {
        if (!recording)
            return;
        const std::int64_t now = nowUs();
        changes.push_back({now, length});
        observe(now);
    }
    void observe(std::int64_t now)
    {
        if (recording && label)
            shown.push_back({now, static_cast<std::size_t>(label->text().size())});
    }
    struct Change {
        std::int64_t atUs;
        std::size_t length;
    };
    QtMainWindow& window;
    QLabel* label = nullptr;
    bool holding = false;
    bool recording = false;
    std::vector<Change> changes;
    std::vector<Change> shown;
};

// Looks at the label whenever it is painted, too (the label changes in
// between the model's changes, when a frame is over).
class PaintWatch : public QObject {
public:
    PaintWatch(QLabel* label, TimedView& view) : label_(label), view_(view) { label_->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == label_ && event->type() == QEvent::Paint && view_.recording) {
            ++paints;
            view_.observe(nowUs());
        }
        return false;
    }
    std::size_t paints = 0;

private:
    QLabel* label_;
    TimedView& view_;
};

// The serial port, noting when each frame is handed to it.
class TimedSerialPort : public QtSerialPort {
public:
    using QtSerialPort::QtSerialPort;
    bool write(std::string_view frame) override
    {
        writes.push_back(nowUs());
        return QtSerialPort::write(frame);
    }
    std::vector<std::int64_t> writes;
};

struct Window {
    explicit Window(const std::string& device) : view(window)
    {
        store.values["Ports/COM1"] = device;
        store.values["StartUP/ComPort"] = "1";
        store.values["StartUP/BaudRate"] = "192";
        program.formLoad();
        program.panel().setOuterHeight(kExpandedHeight); // the monitor on show
        runFor(1000); // mapped, framed and painted once
    }
    test::FakeStore store;
    TimedSerialPort port{portMapOf(store)};
    QtTimerSource timers;
    QtMainWindow window;
    TimedView view;
    QtShell shell{window};
    Program program{{port, store, timers, view, shell}};
};

// The far end of a pseudo-terminal, writing random bytes at a steady rate
// from a thread of its own (its CPU is not the program's).
class Stream {
public:
    Stream()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        device_ = ptsname(master_);
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~Stream()
    {
        stop();
        ::close(master_);
    }
    const std::string& device() const { return device_; }

    void start(int bytesPerSecond, int pieceBytes)
    {
        running_ = true;
        thread_ = std::thread([this, bytesPerSecond, pieceBytes] {
            std::mt19937 random(1);
            const double periodNs = 1e9 * pieceBytes / bytesPerSecond;
            timespec due{};
            clock_gettime(CLOCK_MONOTONIC, &due);
            const std::int64_t startNs = static_cast<std::int64_t>(due.tv_sec) * 1'000'000'000 + due.tv_nsec;
            std::string piece(static_cast<std::size_t>(pieceBytes), '\0');
            for (std::int64_t n = 1; running_; ++n) {
                for (char& c : piece)
                    c = static_cast<char>(random() & 0xFF);
                if (::write(master_, piece.data(), piece.size()) > 0)
                    sent_ += static_cast<std::int64_t>(piece.size());
                // Drop what the program echoes or writes: nothing may block.
                char sink[256];
                while (::read(master_, sink, sizeof sink) > 0) {
                }
                const std::int64_t at = startNs + static_cast<std::int64_t>(periodNs * static_cast<double>(n));
                due.tv_sec = at / 1'000'000'000;
                due.tv_nsec = at % 1'000'000'000;
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
            }
            cpu_ = threadCpuSeconds();
        });
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    void stop()
    {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
    }
    double cpuSeconds() const { return cpu_; }
    std::int64_t sent() const { return sent_; }

private:
    int master_ = -1;
    std::string device_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<std::int64_t> sent_{0};
    double cpu_ = 0;
};

struct StreamFigures {
    double cpuPercent = 0;
    std::size_t modelChanges = 0;
    std::size_t paints = 0;
    double lagP99Ms = 0;
    double lagMaxMs = 0;
    std::int64_t bytes = 0;
};

StreamFigures streamRun(int seconds, int bytesPerSecond, int pieceBytes, bool clickStatus)
{
    Stream stream;
    Window w(stream.device());
    auto* label = static_cast<QLabel*>(w.window.control("Label12"));
    w.view.label = label;
    PaintWatch watch(label, w.view);
    // And when a frame is over and the label takes the line.
    if (auto* frame = w.window.findChild<QTimer*>("ReceivedLineFrame"))
        QObject::connect(frame, &QTimer::timeout, [&w] { w.view.observe(nowUs()); });
    QTimer clicks;
    if (clickStatus) {
        QObject::connect(&clicks, &QTimer::timeout, [&w] { w.program.panel().click("Command44"); });
        clicks.start(1000);
    }
    stream.start(bytesPerSecond, pieceBytes);
    runFor(500); // settle
    w.view.recording = true;
    const double cpu0 = processCpuSeconds();
    const std::int64_t t0 = nowUs();
    runFor(seconds * 1000);
    const double wall = static_cast<double>(nowUs() - t0) / 1e6;
    const double cpu = processCpuSeconds() - cpu0;
    w.view.observe(nowUs());
    w.view.recording = false;
    stream.stop();
    clicks.stop();

    StreamFigures f;
    // The writer thread's CPU is the far end's, not the program's; it ran a
    // little longer than the window measured (the settling time).
    const double writer = stream.cpuSeconds() * wall / (wall + 0.5);
    f.cpuPercent = 100.0 * (cpu - writer) / wall;
    f.modelChanges = w.view.changes.size();
    f.paints = watch.paints;
    f.bytes = stream.sent();
    // How long each change of the model waited until the label held it
    // (lengths only grow between clicks; with clicks this is not measured).
    if (!clickStatus) {
        std::vector<double> lags;
        const auto& shown = w.view.shown;
        std::size_t p = 0;
        for (const auto& change : w.view.changes) {
            while (p < shown.size() && (shown[p].atUs < change.atUs || shown[p].length < change.length))
                ++p;
            const std::int64_t shownAt = p < shown.size() ? shown[p].atUs : nowUs();
            lags.push_back(static_cast<double>(shownAt - change.atUs) / 1000.0);
        }
        f.lagP99Ms = percentile(lags, 0.99);
        f.lagMaxMs = lags.empty() ? 0 : *std::max_element(lags.begin(), lags.end());
    }
    return f;
}

struct HoldFigures {
    std::size_t intervals = 0;
    double mean = 0, p99Deviation = 0, maxDeviation = 0;
};

HoldFigures cadence(const std::vector<std::int64_t>& timesUs)
{
    HoldFigures f;
    std::vector<double> deviations;
    double sum = 0;
    for (std::size_t i = 1; i < timesUs.size(); ++i) {
        const double ms = static_cast<double>(timesUs[i] - timesUs[i - 1]) / 1000.0;
        sum += ms;
        deviations.push_back(std::abs(ms - Panel::kRepeatIntervalMs));
    }
    f.intervals = deviations.size();
    if (f.intervals) {
        f.mean = sum / static_cast<double>(f.intervals);
        f.p99Deviation = percentile(deviations, 0.99);
        f.maxDeviation = *std::max_element(deviations.begin(), deviations.end());
    }
    return f;
}

// At the simulator's log, and (second) at the program's port.
std::pair<HoldFigures, HoldFigures> holdRun(int seconds, int streamBytesPerSecond)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    QStringList options{"--log", log};
    if (streamBytesPerSecond > 0)
        options << "--stream" << QString::number(streamBytesPerSecond);
    Sim sim(options);
    Window w(sim.device);
    w.view.holding = true;
    w.program.panel().press("Command1"); // "Volume" up
    runFor(seconds * 1000 + 150);
    w.view.holding = false;
    w.program.panel().release();
    runFor(300);

    std::vector<std::int64_t> times;
    std::ifstream in(log.toStdString());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::int64_t t = 0;
        std::string command;
        if (s >> t >> command && command == "C09")
            times.push_back(t);
    }
    if (qEnvironmentVariableIsSet("ORVA_BENCH_DUMP")) {
        for (std::size_t i = 1; i < times.size() && i < w.port.writes.size(); ++i)
            std::fprintf(stderr, "%.3f %.3f\n", static_cast<double>(times[i] - times[i - 1]) / 1000.0,
                         static_cast<double>(w.port.writes[i] - w.port.writes[i - 1]) / 1000.0);
    }
    return {cadence(times), cadence(w.port.writes)};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int seconds = 10;
    QString jsonPath = "bench-display.json";
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--json" && i + 1 < argc)
            jsonPath = argv[++i];
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
    }
    if (QGuiApplication::platformName() == "offscreen" || QGuiApplication::platformName() == "minimal")
        std::fprintf(stderr, "orva-bench-display: this wants a real display (platform %s)\n",
                     qPrintable(QGuiApplication::platformName()));

    std::printf("Platform %s, %d s per run\n\n", qPrintable(QGuiApplication::platformName()), seconds);
    std::vector<std::string> json; // "name": {figures}

    if (only.empty() || only == "stream") {
    const StreamFigures slow = streamRun(seconds, 1920, 1, false);
    std::printf("1,920 B/s in 1-byte pieces: CPU %.1f %%; %zu model changes, %zu paints of the received line; "
                "line on screen behind the model: p99 %.1f ms, max %.1f ms\n",
                slow.cpuPercent, slow.modelChanges, slow.paints, slow.lagP99Ms, slow.lagMaxMs);
    std::ostringstream a;
    a << "\"stream_1920_1byte\": {\"cpu_percent\": " << slow.cpuPercent << ", \"model_changes\": "
      << slow.modelChanges << ", \"paints\": " << slow.paints << ", \"lag_p99_ms\": " << slow.lagP99Ms
      << ", \"lag_max_ms\": " << slow.lagMaxMs << "}";
    json.push_back(a.str());

    const StreamFigures fast = streamRun(seconds, 20000, 200, true);
    std::printf("20,000 B/s in 10 ms pieces, Status every second: CPU %.1f %%; %zu model changes, %zu paints\n",
                fast.cpuPercent, fast.modelChanges, fast.paints);
    std::ostringstream b;
    b << "\"stream_20000_10ms\": {\"cpu_percent\": " << fast.cpuPercent << ", \"model_changes\": "
      << fast.modelChanges << ", \"paints\": " << fast.paints << "}";
    json.push_back(b.str());
    }

    for (int stream : {0, 20000}) {
        if (!only.empty() && only != "hold")
            break;
        const auto [h, atPort] = holdRun(seconds, stream);
        std::printf("hold at the simulator's log%s: %zu intervals, mean %.3f ms, p99 deviation %.3f ms, "
                    "max deviation %.3f ms (at the program's port: mean %.3f ms, p99 deviation %.3f ms, "
                    "max %.3f ms)\n",
                    stream ? ", 20 kB/s stream" : "", h.intervals, h.mean, h.p99Deviation, h.maxDeviation,
                    atPort.mean, atPort.p99Deviation, atPort.maxDeviation);
        std::ostringstream c;
        c << "\"hold" << (stream ? "_stream" : "") << "\": {\"intervals\": " << h.intervals
          << ", \"mean_ms\": " << h.mean << ", \"p99_deviation_ms\": " << h.p99Deviation
          << ", \"max_deviation_ms\": " << h.maxDeviation << ", \"at_port_mean_ms\": " << atPort.mean
          << ", \"at_port_p99_deviation_ms\": " << atPort.p99Deviation << "}";
        json.push_back(c.str());
    }
    std::string text = "{\n";
    for (std::size_t i = 0; i < json.size(); ++i)
        text += "  " + json[i] + (i + 1 < json.size() ? ",\n" : "\n");
    text += "}\n";
    QFile out(jsonPath);
    if (out.open(QIODevice::WriteOnly))
        out.write(text.c_str());
    return 0;
}
