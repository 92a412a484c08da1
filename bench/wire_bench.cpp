// Figures through the real serial layer against orva-projector-sim on a
// pseudo-terminal: send latency, receive-to-caption latency, the same
// exchange through ser2net (raw TCP and RFC 2217) beside the direct pty,
// start-up time and memory, and a long unsolicited stream. Prints a table
// and writes JSON.
//
//   orva-bench [--quick] [--json FILE]
#include "app/program.h"
#include "app/qt_shell.h"
#include "fakes.h"
#include "ports/qt_serial_port.h"
#include "ports/qt_timer.h"
#include "panel/panel_table.h"
#include "panel/qt_main_window.h"
#include "settings/port_map.h"
#include "ser2net.h"
#include "bench_common.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace orva;

namespace {

using bench::cpuSeconds;
using bench::nowUs;
using bench::runFor;
using bench::Sim;

bool spinUntil(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Stats {
    double median = 0, p99 = 0, mean = 0, max = 0;
    std::size_t n = 0;
};

Stats stats(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.n = v.size();
    s.median = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, (v.size() * 99) / 100)];
    s.max = v.back();
    double sum = 0;
    for (double x : v)
        sum += x;
    s.mean = sum / static_cast<double>(v.size());
    return s;
}

long rssKiB(qint64 pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Passes everything to the real window and notes when the received line
// and the status label change.
class TimedView : public test::MainViewRelay {
public:
    explicit TimedView(QtMainWindow& w) : MainViewRelay(w) {}
    void setCaption(std::string_view control, const std::string& text) override
    {
        MainViewRelay::setCaption(control, text);
        if (control == monitor::kReceivedLine && text == expected && receivedAt == 0)
            receivedAt = nowUs();
        else if (control == monitor::kStatus)
            statusAt = nowUs();
    }
    void appendCaption(std::string_view control, std::string_view tail, const std::string& whole) override
    {
        MainViewRelay::appendCaption(control, tail, whole);
        if (control == monitor::kReceivedLine && whole == expected && receivedAt == 0)
            receivedAt = nowUs();
    }
    std::string expected; // the received line whose arrival is timed
    std::int64_t receivedAt = 0;
    std::int64_t statusAt = 0;
};

// Times each receive event through to the end of its handling.
class TimedListener : public SerialListener {
public:
    explicit TimedListener(SerialListener& next) : next_(next) {}
    void onComm(int event) override
    {
        const std::int64_t t0 = nowUs();
        next_.onComm(event);
        durationsMs.push_back(static_cast<double>(nowUs() - t0) / 1000.0);
    }
    void onPortLost(const std::string& why) override { next_.onPortLost(why); }
    void onOpenFinished(bool opened) override { next_.onOpenFinished(opened); }
    std::vector<double> durationsMs;

private:
    SerialListener& next_;
};

struct Live {
    explicit Live(const std::string& device) : view(window)
    {
        store.values["Ports/COM1"] = device;
        store.values["StartUP/ComPort"] = "1";
        store.values["StartUP/BaudRate"] = "192";
        program.formLoad();
        if (program.portDialog()) {
            std::fprintf(stderr, "orva-bench: %s does not open\n", device.c_str());
            std::abort();
        }
        window.setOuterHeight(kExpandedHeight);
        window.show();
    }
    test::FakeStore store;
    QtSerialPort port{portMapOf(store)};
    QtTimerSource timers;
    QtMainWindow window;
    TimedView view;
    QtShell shell{window};
    Program program{{port, store, timers, view, shell}};
};

std::vector<std::int64_t> readLogTimes(const QString& path)
{
    std::vector<std::int64_t> out;
    std::ifstream in(path.toStdString());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::int64_t t = 0;
        if (s >> t)
            out.push_back(t);
    }
    return out;
}

struct Row {
    std::string figure;
    std::string value;
    std::string target;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool quick = false;
    QString jsonPath = "bench-results.json";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--quick")
            quick = true;
        else if (a == "--json" && i + 1 < argc)
            jsonPath = argv[++i];
    }
    std::vector<Row> rows;
    std::ostringstream json;
    json << "{\n";

    // 1 and 2: a status read, over and over.
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("sim.log");
        Sim sim({"--log", log});
        Live live(sim.device);
        const int rounds = quick ? 50 : 300;
        live.view.expected = " 8 0  [CR] ";
        std::vector<std::int64_t> sentAt;
        std::vector<double> receiveMs;
        for (int i = 0; i < rounds; ++i) {
            live.view.statusAt = 0;
            live.view.receivedAt = 0;
            sentAt.push_back(nowUs());
            live.program.panel().click("Command44");
            spinUntil([&] { return live.program.link().receivedLine() == " 8 0  [CR] "; }, 2000);
            const std::int64_t caption = live.view.receivedAt;
            receiveMs.push_back(static_cast<double>(caption));
            // Let the exchange end before the next one.
            spinUntil([&] { return false; }, 5);
        }
        spinUntil([&] { return false; }, 100);
        const auto simTimes = readLogTimes(log);
        std::vector<double> sendMs;
        std::vector<double> recvMs;
        // The first rounds warm up (fonts, first paint); they are not counted.
        const std::size_t warmUp = 5;
        for (std::size_t i = warmUp; i < sentAt.size() && i < simTimes.size(); ++i) {
            sendMs.push_back(static_cast<double>(simTimes[i] - sentAt[i]) / 1000.0);
            recvMs.push_back((receiveMs[i] - static_cast<double>(simTimes[i])) / 1000.0);
        }
        const Stats s = stats(sendMs);
        const Stats r = stats(recvMs);
        char buf[160];
        std::snprintf(buf, sizeof buf, "median %.3f ms, p99 %.3f ms (n=%zu)", s.median, s.p99, s.n);
        rows.push_back({"send call -> frame read by the simulator", buf, "<= 1 ms median"});
        std::snprintf(buf, sizeof buf, "median %.3f ms, p99 %.3f ms (n=%zu)", r.median, r.p99, r.n);
        rows.push_back({"simulator read+answer -> received line shown and decoded", buf,
                        "<= 1 ms median, <= 5 ms p99"});
        json << "  \"send_to_sim_ms\": {\"median\": " << s.median << ", \"p99\": " << s.p99 << "},\n";
        json << "  \"sim_to_caption_ms\": {\"median\": " << r.median << ", \"p99\": " << r.p99 << "},\n";
    }

    // 2b: send -> reply shown, on the pty directly and through ser2net, one
    // path after the other in this run, each on its own simulator.
    {
        struct Path {
            const char* name;
            std::optional<test::Ser2net::Mode> mode;
            bool charDelay;
        };
        // ser2net's own "chardelay" (on by default) holds replies back for a
        // moment to batch them; without it the figures are this program's.
        const Path paths[] = {{"direct pty", std::nullopt, false},
                              {"ser2net raw TCP", test::Ser2net::Mode::Raw, false},
                              {"ser2net RFC 2217", test::Ser2net::Mode::Rfc2217, false},
                              {"ser2net RFC 2217, server chardelay on", test::Ser2net::Mode::Rfc2217, true}};
        const int rounds = quick ? 50 : 300;
        double directMedian = 0;
        json << "  \"paths\": {";
        bool first = true;
        for (const Path& path : paths) {
            QTemporaryDir dir;
            const QString log = dir.filePath("sim.log");
            Sim sim({"--log", log});
            std::unique_ptr<test::Ser2net> server;
            std::string target = sim.device;
            if (path.mode) {
                server = std::make_unique<test::Ser2net>(sim.device, *path.mode);
                server->setCharDelay(path.charDelay);
                if (!server->start()) {
                    std::fprintf(stderr, "%s: %s\n", path.name, server->error().c_str());
                    continue;
                }
                target = server->target();
            }
            Live live(target);
            if (!live.port.isOpen()) {
                std::fprintf(stderr, "%s: %s\n", path.name, live.port.errorText().c_str());
                continue;
            }
            live.view.expected = " 8 0  [CR] ";
            std::vector<std::int64_t> sentAt;
            std::vector<std::int64_t> shownAt;
            for (int i = 0; i < rounds; ++i) {
                live.view.receivedAt = 0;
                sentAt.push_back(nowUs());
                live.program.panel().click("Command44");
                spinUntil([&] { return live.view.receivedAt != 0; }, 2000);
                shownAt.push_back(live.view.receivedAt);
                spinUntil([&] { return false; }, 5);
            }
            spinUntil([&] { return false; }, 100);
            const auto simTimes = readLogTimes(log);
            std::vector<double> trip, out, back;
            const std::size_t warmUp = 5;
            for (std::size_t i = warmUp; i < sentAt.size() && i < simTimes.size(); ++i) {
                if (shownAt[i] == 0)
                    continue;
                trip.push_back(static_cast<double>(shownAt[i] - sentAt[i]) / 1000.0);
                out.push_back(static_cast<double>(simTimes[i] - sentAt[i]) / 1000.0);
                back.push_back(static_cast<double>(shownAt[i] - simTimes[i]) / 1000.0);
            }
            const Stats t = stats(trip), o = stats(out), b = stats(back);
            if (!path.mode)
                directMedian = t.median;
            char added[40] = "";
            if (path.mode)
                std::snprintf(added, sizeof added, "; %+.3f ms on the pty", t.median - directMedian);
            char buf[200];
            std::snprintf(buf, sizeof buf, "median %.3f ms, p99 %.3f ms (out %.3f, back %.3f; n=%zu)%s", t.median,
                          t.p99, o.median, b.median, t.n, added);
            rows.push_back({std::string("send -> reply shown, ") + path.name, buf,
                            path.mode && !path.charDelay ? "<= direct + 1 ms median" : "-"});
            json << (first ? "" : ",") << "\n    \"" << path.name << "\": {\"median\": " << t.median
                 << ", \"p99\": " << t.p99 << ", \"out_median\": " << o.median << ", \"back_median\": " << b.median
                 << "}";
            first = false;
        }
        json << "\n  },\n";
    }

    // 3: launch -> main window shown, and resident memory then.
    {
        Sim sim({});
        QTemporaryDir config;
        QFile conf(config.filePath("ORVA.conf"));
        conf.open(QIODevice::WriteOnly);
        conf.write(("[Ports]\nCOM1=" + sim.device + "\n\n[StartUP]\nComPort=1\nBaudRate=192\n").c_str());
        conf.close();
        std::vector<double> launchMs;
        std::vector<double> rss;
        const int runs = quick ? 5 : 20;
        for (int i = 0; i < runs; ++i) {
            QProcess p;
            auto env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_CONFIG_HOME", config.path());
            env.insert("ORVA_BENCH_REPORT_SHOWN", "1");
            env.insert("QT_QPA_PLATFORM", "offscreen");
            p.setProcessEnvironment(env);
            const std::int64_t t0 = nowUs();
            p.start(QStringLiteral(ORVA_CONTROL_PATH), {});
            p.waitForStarted(5000);
            while (!p.canReadLine() && p.waitForReadyRead(5000)) {
            }
            const std::int64_t t1 = nowUs();
            launchMs.push_back(static_cast<double>(t1 - t0) / 1000.0);
            QThread::msleep(200);
            rss.push_back(static_cast<double>(rssKiB(p.processId())) / 1024.0);
            p.waitForFinished(5000);
        }
        const Stats l = stats(launchMs);
        const Stats m = stats(rss);
        char buf[160];
        std::snprintf(buf, sizeof buf, "median %.1f ms, p99 %.1f ms (n=%zu)", l.median, l.p99, l.n);
        rows.push_back({"launch -> main window shown", buf, "<= 150 ms median"});
        std::snprintf(buf, sizeof buf, "median %.1f MB", m.median);
        rows.push_back({"resident memory after start", buf, "<= 40 MB"});
        json << "  \"launch_ms\": {\"median\": " << l.median << ", \"p99\": " << l.p99 << "},\n";
        json << "  \"rss_mb\": " << m.median << ",\n";
    }

    // 4: an unsolicited stream at 19200 baud.
    {
        const int seconds = quick ? 5 : 30;
        Sim sim({"--stream", "1920"});
        Live live(sim.device);
        TimedListener timing(live.program.link());
        live.port.setListener(&timing);
        runFor(500); // settle
        timing.durationsMs.clear();
        const long rss0 = rssKiB(QCoreApplication::applicationPid());
        const double cpu0 = cpuSeconds();
        const std::int64_t t0 = nowUs();
        runFor(seconds * 1000);
        const double wall = static_cast<double>(nowUs() - t0) / 1e6;
        const double cpu = cpuSeconds() - cpu0;
        const long rss1 = rssKiB(QCoreApplication::applicationPid());
        const Stats e = stats(timing.durationsMs);
        char buf[200];
        std::snprintf(buf, sizeof buf,
                      "%zu events, p99 %.3f ms, max %.3f ms; CPU %.1f %%; memory growth %.2f MB",
                      e.n, e.p99, e.max, 100.0 * cpu / wall, static_cast<double>(rss1 - rss0) / 1024.0);
        rows.push_back({"stream at 1920 characters/s for " + std::to_string(seconds) + " s", buf,
                        "p99 <= 5 ms, CPU <= 10 %, growth <= 1 MB"});
        json << "  \"stream\": {\"events\": " << e.n << ", \"p99_ms\": " << e.p99
             << ", \"cpu_percent\": " << 100.0 * cpu / wall
             << ", \"rss_growth_mb\": " << static_cast<double>(rss1 - rss0) / 1024.0
             << ", \"buffer\": " << live.program.link().buffer().size() << "}\n";
    }
    json << "}\n";

    std::printf("| %-58s | %-60s | %-40s |\n", "Figure", "Measured", "Target");
    std::printf("|%s|%s|%s|\n", std::string(60, '-').c_str(), std::string(62, '-').c_str(),
                std::string(42, '-').c_str());
    for (const Row& r : rows)
        std::printf("| %-58s | %-60s | %-40s |\n", r.figure.c_str(), r.value.c_str(), r.target.c_str());
    QFile out(jsonPath);
    if (out.open(QIODevice::WriteOnly))
        out.write(json.str().c_str());
    return 0;
}
