// orva-pjlinkd under load, against the simulator on a pty:
//   1. `POWR ?` through the bridge minus the same read (CR0) straight on the
//      pty: the median round trips, one after the other;
//   2. 64 PJLink clients polling `POWR ?` and `LAMP ?` every second: crossed
//      or lost answers, the daemon's CPU and resident memory;
//   --hostile: two projectors (one with a password) under attack on
//      loopback: one peer (127.0.0.66) holding every connection it can and
//      dripping a NUL into each, another (127.0.0.77) guessing the password
//      as fast as it is answered, while a client of each projector
//      (127.0.0.1) connects and asks `POWR ?` every second: its greeting and
//      answer times, the guesses answered per minute, the daemon's CPU and
//      memory. At most 300 held connections and S seconds.
//
//   orva-bench-pjlink [--rounds N] [--clients N] [--seconds S] [--hostile] [--daemon PATH]
#include "bench_common.h"

#include "line/readings.h"
#include "line/transaction.h"
#include "ports/qt_serial_port.h"
#include "ports/qt_timer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>

using namespace orva;
using namespace orva::bench;

namespace {

// One read of CR0 on the pty, through the same transaction the bridge uses.
double directRoundTripUs(SerialPort& port)
{
    QtTimer timer;
    LineTransaction transaction(port, timer, steadyClock(), 1000);
    port.setListener(&transaction);
    QEventLoop loop;
    const std::int64_t start = nowUs();
    transaction.start("CR0\r", [&loop](const LineOutcome&) { loop.quit(); });
    if (transaction.running())
        loop.exec();
    port.setListener(nullptr);
    if (readPowerState(transaction.outcome().reply) != PowerState::Standby)
        std::fprintf(stderr, "CR0 on the pty: no status (%s)\n", transaction.outcome().reason.c_str());
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

    bool connectTo(quint16 port, const QString& from = QStringLiteral("127.0.0.1"))
    {
        socket.bind(QHostAddress(from), 0); // the bridge caps the connections of one source
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

QString writeConfig(QTemporaryDir& dir, const QString& text)
{
    QFile conf(dir.filePath("pjlinkd.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(text.toUtf8());
    return conf.fileName();
}

// A socket from a loopback address of its own, so the daemon sees a source
// of its own.
QTcpSocket* connectFrom(const char* source, quint16 port, QObject* parent)
{
    auto* s = new QTcpSocket(parent);
    s->bind(QHostAddress(QLatin1String(source)), 0);
    s->connectToHost(QHostAddress::LocalHost, port);
    return s;
}

// The legitimate client of one projector: a new connection each second, its
// greeting, `POWR ?`, closed.
struct Poller : QObject {
    quint16 port = 0;
    QByteArray password;
    std::vector<double> greetingMs, answerMs;
    int failed = 0;
    QTcpSocket* socket = nullptr;
    QByteArray buffer;
    std::int64_t startUs = 0;
    QTimer deadline;

    Poller()
    {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, this, [this] { finish(false); });
    }
    void poll()
    {
        buffer.clear();
        socket = connectFrom("127.0.0.1", port, this);
        startUs = nowUs();
        deadline.start(15'000);
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, s = socket] {
            if (s != socket)
                return;
            buffer += socket->readAll();
            while (buffer.contains('\r')) {
                const QByteArray l = buffer.left(buffer.indexOf('\r'));
                buffer.remove(0, l.size() + 1);
                if (l.startsWith("PJLINK ")) {
                    greetingMs.push_back(static_cast<double>(nowUs() - startUs) / 1000.0);
                    QByteArray prefix;
                    if (l.startsWith("PJLINK 1 "))
                        prefix = QCryptographicHash::hash(l.mid(9) + password, QCryptographicHash::Md5).toHex();
                    startUs = nowUs();
                    socket->write(prefix + "%1POWR ?\r");
                } else {
                    const bool ok = l.startsWith("%1POWR=") && !l.endsWith("ERR4") && !l.endsWith("ERR3");
                    if (ok)
                        answerMs.push_back(static_cast<double>(nowUs() - startUs) / 1000.0);
                    finish(ok);
                }
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, this, [this, s = socket] {
            if (s == socket)
                finish(false);
        });
    }
    void finish(bool ok)
    {
        if (!socket)
            return;
        deadline.stop();
        failed += ok ? 0 : 1;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        socket = nullptr;
        QTimer::singleShot(1000, this, [this] { poll(); });
    }
};

int hostileRun(const QString& daemonPath, int seconds)
{
    Sim simA({}), simB({});
    if (simA.device.empty() || simB.device.empty()) {
        std::fprintf(stderr, "the simulators did not start\n");
        return 1;
    }
    QTemporaryDir dir;
    const quint16 portA = freePort(), portB = freePort();
    const QString conf = writeConfig(dir, QStringLiteral("[a]\ntarget=%1\nlisten=127.0.0.1:%2\npassword=right\n"
                                                         "[b]\ntarget=%3\nlisten=127.0.0.1:%4\n")
                                              .arg(QString::fromStdString(simA.device))
                                              .arg(portA)
                                              .arg(QString::fromStdString(simB.device))
                                              .arg(portB));
    QProcess daemon;
    daemon.setStandardErrorFile(dir.filePath("daemon.log"));
    daemon.start(daemonPath, {"--config", conf});
    daemon.waitForStarted(5000);
    const pid_t pid = static_cast<pid_t>(daemon.processId());
    runFor(1000);

    QObject owner;
    long attempts = 0;
    // The holder: as many connections as it gets, to both projectors, a NUL
    // into each every 5 s; one that is closed is opened again.
    constexpr int kHeld = 300;
    std::vector<QTcpSocket*> held(kHeld, nullptr);
    std::function<void(int)> hold = [&](int i) {
        ++attempts;
        QTcpSocket* s = connectFrom("127.0.0.66", i % 2 ? portB : portA, &owner);
        held[static_cast<std::size_t>(i)] = s;
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
        QObject::connect(s, &QTcpSocket::disconnected, &owner, [&, s, i] {
            s->deleteLater();
            held[static_cast<std::size_t>(i)] = nullptr;
            QTimer::singleShot(500, &owner, [&, i] { hold(i); });
        });
        QObject::connect(s, &QTcpSocket::errorOccurred, &owner, [s](QAbstractSocket::SocketError) {
            if (s->state() == QAbstractSocket::UnconnectedState)
                emit s->disconnected();
        });
    };
    for (int i = 0; i < kHeld; ++i)
        hold(i);
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&] {
        for (QTcpSocket* s : held)
            if (s && s->state() == QAbstractSocket::ConnectedState)
                s->write(QByteArray(1, '\0'));
    });
    drip.start(5000);

    // The guesser: 32 connections to the projector with the password, each
    // sending a wrong digest as soon as it is greeted.
    long guessesAnswered = 0;
    std::function<void()> guess = [&] {
        ++attempts;
        QTcpSocket* s = connectFrom("127.0.0.77", portA, &owner);
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &guessesAnswered] {
            const QByteArray got = s->readAll();
            if (got.startsWith("PJLINK 1 "))
                s->write(QCryptographicHash::hash(got.mid(9, 8) + "wrong", QCryptographicHash::Md5).toHex()
                         + "%1POWR ?\r");
            if (got.contains("PJLINK ERRA"))
                ++guessesAnswered;
        });
        QObject::connect(s, &QTcpSocket::disconnected, &owner, [&, s] {
            s->deleteLater();
            QTimer::singleShot(20, &owner, [&] { guess(); });
        });
        QObject::connect(s, &QTcpSocket::errorOccurred, &owner, [s](QAbstractSocket::SocketError) {
            if (s->state() == QAbstractSocket::UnconnectedState)
                emit s->disconnected();
        });
    };
    for (int i = 0; i < 32; ++i)
        guess();

    runFor(3000); // the attack is under way
    Poller a, b;
    a.port = portA;
    a.password = "right";
    b.port = portB;
    const double cpuBefore = processCpuSeconds(pid);
    const long guessesBefore = guessesAnswered;
    const std::int64_t begin = nowUs();
    a.poll();
    b.poll();
    long rssPeak = 0;
    for (int s = 0; s < seconds; ++s) {
        runFor(1000);
        rssPeak = std::max(rssPeak, procField(pid, "status", "VmRSS:"));
    }
    const double wall = static_cast<double>(nowUs() - begin) / 1e6;
    const double cpu = processCpuSeconds(pid) - cpuBefore;
    const long guesses = guessesAnswered - guessesBefore;
    int open = 0;
    for (QTcpSocket* s : held)
        open += s && s->state() == QAbstractSocket::ConnectedState;
    const bool alive = daemon.state() == QProcess::Running;
    for (const Poller* p : {&a, &b}) {
        std::printf("hostile: projector %s (%s): %zu polls answered, %d failed; greeting median %.1f ms p99 %.1f ms, "
                    "POWR ? answer median %.1f ms p99 %.1f ms\n",
                    p == &a ? "a" : "b", p == &a ? "password" : "no password", p->answerMs.size(), p->failed,
                    percentile(p->greetingMs, 0.5), percentile(p->greetingMs, 0.99), percentile(p->answerMs, 0.5),
                    percentile(p->answerMs, 0.99));
    }
    QFile logFile(dir.filePath("daemon.log"));
    logFile.open(QIODevice::ReadOnly);
    const long logLines = logFile.readAll().count('\n');
    std::printf("hostile: %d s, the holder kept %d of %d connections open; %.0f guesses answered a minute; "
                "%ld connection attempts; daemon %s, CPU %.1f %%, resident peak %ld KiB, %ld log lines\n",
                seconds, open, kHeld, 60.0 * static_cast<double>(guesses) / wall, attempts,
                alive ? "up" : "DEAD", 100.0 * cpu / wall, rssPeak, logLines);
    drip.stop();
    daemon.terminate();
    daemon.waitForFinished(5000);
    return alive && !a.answerMs.empty() && !b.answerMs.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 200, clients = 64, seconds = 60;
    bool hostile = false;
    QString daemonPath = QStringLiteral(ORVA_PJLINKD_PATH);
    QStringList args = app.arguments();
    if (args.removeAll(QStringLiteral("--hostile")) > 0)
        hostile = true;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--daemon")
            daemonPath = args[i + 1];
        else if (args[i] == "--rounds")
            rounds = args[i + 1].toInt();
        else if (args[i] == "--clients")
            clients = args[i + 1].toInt();
        else if (args[i] == "--seconds")
            seconds = args[i + 1].toInt();
    }

    if (hostile)
        return hostileRun(daemonPath, seconds);

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
    daemon.start(daemonPath, {"--config", conf.fileName()});
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
        if (!c->connectTo(listen, QStringLiteral("127.0.0.%1").arg(10 + i % 8))) {
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
