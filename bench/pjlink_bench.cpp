// orva-pjlinkd under load, against the simulator on a pty:
//   1. `POWR ?` through the bridge minus the same read (CR0) straight on the
//      pty: the median round trips, one after the other;
//   2. 64 PJLink clients polling `POWR ?` and `LAMP ?` every second: crossed
//      or lost answers, the daemon's CPU and resident memory.
//
//   orva-bench-pjlink [--rounds N] [--clients N] [--seconds S]
#include "bench_common.h"

#include "link/exchange.h"
#include "link/qt_serial_port.h"
#include "link/qt_timer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>
#include <memory>

using namespace orva;
using namespace orva::bench;

namespace {

// One read of CR0 on the pty, through the same Exchange the bridge uses.
double directRoundTripUs(SerialPort& port)
{
    QtTimer timer;
    Exchange exchange(port, timer, 1000);
    QEventLoop loop;
    exchange.setFinishedHandler([&loop] { loop.quit(); });
    const std::int64_t start = nowUs();
    exchange.start("CR0\r", "CR0\r");
    if (!exchange.finished())
        loop.exec();
    if (exchange.result().status != " Stand by")
        std::fprintf(stderr, "CR0 on the pty: no status (%s)\n", exchange.result().error.c_str());
    return static_cast<double>(nowUs() - start);
}

quint16 freePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// A PJLink client without a password: one command at a time.
struct Client {
    QTcpSocket socket;
    QByteArray buffer;
    QByteArray asked;    // the body of the command in flight ("POWR"), empty when none
    std::int64_t sentUs = 0;
    int answers = 0;
    int crossed = 0;

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return false;
        return !line(5000).isEmpty(); // the greeting
    }
    QByteArray line(int waitMs)
    {
        while (!buffer.contains('\r')) {
            if (!socket.waitForReadyRead(waitMs))
                return {};
            buffer += socket.readAll();
        }
        const auto cr = buffer.indexOf('\r');
        QByteArray l = buffer.left(cr);
        buffer.remove(0, cr + 1);
        return l;
    }
    void ask(const QByteArray& body)
    {
        asked = body;
        sentUs = nowUs();
        socket.write("%1" + body + " ?\r");
    }
    // Takes the answers that came; true when the one in flight is in.
    bool take()
    {
        buffer += socket.readAll();
        bool done = false;
        while (buffer.contains('\r')) {
            const auto cr = buffer.indexOf('\r');
            const QByteArray l = buffer.left(cr);
            buffer.remove(0, cr + 1);
            ++answers;
            const bool right = !asked.isEmpty() && l.startsWith("%1" + asked + "=")
                && !l.endsWith("ERR4") && (asked != "LAMP" || l.contains(' '));
            crossed += right ? 0 : 1;
            asked.clear();
            done = true;
        }
        return done;
    }
};

long procField(pid_t pid, const char* file, const char* key)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& l : f.readAll().split('\n')) {
        if (l.startsWith(key))
            return l.mid(static_cast<int>(qstrlen(key))).simplified().split(' ').value(0).toLong();
    }
    return -1;
}

double processCpuSeconds(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray s = f.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks; // utime, stime
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 200, clients = 64, seconds = 60;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--rounds")
            rounds = args[i + 1].toInt();
        else if (args[i] == "--clients")
            clients = args[i + 1].toInt();
        else if (args[i] == "--seconds")
            seconds = args[i + 1].toInt();
    }

    Sim sim({});
    if (sim.device.empty()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }

    // 1. Straight on the pty.
    std::vector<double> direct;
    {
        QtSerialPort port([](int) { return PortResolution{}; });
        port.setTarget(PortTarget{PortTarget::Kind::Device, sim.device, {}, 0});
        port.setPortNumber(1);
        port.setSettings("19200,N,8,1");
        if (!port.open()) {
            std::fprintf(stderr, "cannot open %s: %s\n", sim.device.c_str(), port.errorText().c_str());
            return 1;
        }
        for (int i = 0; i < rounds; ++i)
            direct.push_back(directRoundTripUs(port));
        port.close();
    }

    // 2. Through the bridge.
    QTemporaryDir dir;
    const quint16 listen = freePort();
    QFile conf(dir.filePath("pjlinkd.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("[bench]\ntarget=%1\nlisten=127.0.0.1:%2\n")
                   .arg(QString::fromStdString(sim.device))
                   .arg(listen)
                   .toUtf8());
    conf.close();
    QProcess daemon;
    daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon.start(QStringLiteral(ORVA_PJLINKD_PATH), {"--config", conf.fileName()});
    daemon.waitForStarted(5000);
    const pid_t pid = static_cast<pid_t>(daemon.processId());

    std::vector<double> bridged;
    {
        Client c;
        for (int i = 0; i < 100 && !c.connectTo(listen); ++i)
            runFor(50);
        runFor(500); // the line opens
        for (int i = 0; i < rounds; ++i) {
            const std::int64_t start = nowUs();
            c.socket.write("%1POWR ?\r");
            if (!c.line(2000).startsWith("%1POWR="))
                std::fprintf(stderr, "no answer to POWR ?\n");
            bridged.push_back(static_cast<double>(nowUs() - start));
        }
    }
    const double dMed = percentile(direct, 0.5) / 1000.0;
    const double bMed = percentile(bridged, 0.5) / 1000.0;
    std::printf("POWR ? round trip: bridge median %.3f ms (p95 %.3f), pty CR0 median %.3f ms (p95 %.3f): +%.3f ms\n",
                bMed, percentile(bridged, 0.95) / 1000.0, dMed, percentile(direct, 0.95) / 1000.0, bMed - dMed);

    // 3. Many clients polling.
    std::vector<std::unique_ptr<Client>> pollers;
    for (int i = 0; i < clients; ++i) {
        auto c = std::make_unique<Client>();
        if (!c->connectTo(listen)) {
            std::fprintf(stderr, "client %d could not connect\n", i);
            return 1;
        }
        pollers.push_back(std::move(c));
    }
    long asked = 0;
    const double cpuBefore = processCpuSeconds(pid);
    const std::int64_t begin = nowUs();
    long rssPeak = 0;
    for (int s = 0; s < seconds; ++s) {
        // Spread over the second, as independent pollers would be.
        for (int slice = 0; slice < 10; ++slice) {
            for (int i = slice; i < clients; i += 10) {
                Client& c = *pollers[static_cast<std::size_t>(i)];
                if (c.asked.isEmpty()) {
                    c.ask("POWR");
                    ++asked;
                }
            }
            const std::int64_t sliceEnd = begin + (s * 1000 + (slice + 1) * 100) * 1000;
            while (nowUs() < sliceEnd) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                for (auto& c : pollers) {
                    const QByteArray was = c->asked;
                    if (c->take() && was == "POWR") {
                        c->ask("LAMP");
                        ++asked;
                    }
                }
            }
        }
        rssPeak = std::max(rssPeak, procField(pid, "status", "VmRSS:"));
    }
    runFor(2000); // the last answers
    for (auto& c : pollers)
        c->take();
    const double wall = static_cast<double>(nowUs() - begin) / 1e6;
    const double cpu = processCpuSeconds(pid) - cpuBefore;
    long answers = 0, crossed = 0;
    for (auto& c : pollers) {
        answers += c->answers;
        crossed += c->crossed;
    }
    std::printf("%d clients polling POWR ? and LAMP ? every second for %d s: %ld asked, %ld answered, "
                "%ld lost, %ld crossed or wrong; daemon CPU %.2f %%, resident %ld KiB (peak %ld KiB)\n",
                clients, seconds, asked, answers, asked - answers, crossed, 100.0 * cpu / wall, rssPeak,
                procField(pid, "status", "VmHWM:"));
    daemon.terminate();
    daemon.waitForFinished(5000);
    return crossed == 0 && asked == answers ? 0 : 1;
}
