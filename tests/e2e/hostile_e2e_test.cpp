// Far ends that do not behave, on 127.0.0.1 (a server that greets, floods,
// hangs up or says nothing), and lock files left behind.
#include "ports/port_holder.h"
#include "ports/qt_serial_port.h"
#include "qt_wait.h"
#include "ser2net.h"
#include "simulator.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QSysInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

namespace orva::test {
namespace {

// A server on 127.0.0.1, run by the test's event loop: `onConnect` serves each connection.
class LocalServer : public QTcpServer {
public:
    explicit LocalServer(std::function<void(QTcpSocket*)> onConnect)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this, onConnect] {
            while (hasPendingConnections())
                onConnect(nextPendingConnection());
        });
    }
    std::string target(const char* scheme = "tcp") const
    {
        return scheme + std::string("://127.0.0.1:") + std::to_string(serverPort());
    }
};

// The high-water mark of a process's resident memory, in kB (0 once it is gone).
long peakResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf("VmHWM:");
    return at < 0 ? 0 : text.mid(at + 6, 20).trimmed().split(' ').front().toLong();
}

TEST(HostileTransport, OpensThatFailSayWhatHappenedAndNothingOnStderr)
{
    static QStringList warnings;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { warnings << message; });
    {
        LocalServer busy([](QTcpSocket* c) {
            c->write("busy\r\n");
            c->disconnectFromHost();
        });
        LocalServer silent([](QTcpSocket*) {}); // takes the connection and says nothing
        for (const auto& [target, why] :
             {std::pair{busy.target(), std::string("the server closed the connection (\"busy\")")},
              std::pair{silent.target("rfc2217"), std::string("RFC 2217 negotiation failed")},
              std::pair{std::string("tcp://[fe80::1%orva-none0]:2217"), std::string("no such interface: orva-none0")},
              std::pair{std::string("rfc2217://[fe80::1%lo]:2217"), std::string("unreachable")}}) {
            QtSerialPort port(QtSerialPort::Resolver{});
            port.setTarget(parsePortTarget(target));
            EXPECT_FALSE(port.open()) << target;
            EXPECT_EQ(port.errorText().rfind(target + ": " + why, 0), 0u) << port.errorText();
        }
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

// Settings of their own for the programs, COM1 stored and mapped to `com1`.
QProcessEnvironment withSettings(const QTemporaryDir& dir, const std::string& com1 = {})
{
    QFile settings(dir.filePath(QStringLiteral("ORVA.conf")));
    if (!com1.empty() && settings.open(QIODevice::WriteOnly))
        settings.write(("[Ports]\nCOM1=" + com1 + "\n[StartUP]\nComPort=1\nBaudRate=192\n").c_str());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

TEST(HostileEndToEnd, AGreetingOfTheDeviceServerIsNotTakenForTheReply)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    for (const auto mode : {Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217}) {
        Ser2net server(sim.device(), mode);
        server.setBanner("ORVA room 12 projector\\r\\n\\x06\\r");
        ASSERT_TRUE(server.start()) << server.error();
        QProcess ctl;
        ctl.setProcessEnvironment(withSettings(dir));
        ctl.start(QStringLiteral(ORVA_CTL_PATH), {"send", "CR0", "--port", QString::fromStdString(server.target())});
        ASSERT_TRUE(ctl.waitForFinished(30000));
        EXPECT_EQ(ctl.exitCode(), 0) << server.target() << " " << ctl.readAllStandardError().toStdString();
        EXPECT_EQ(ctl.readAllStandardOutput(), "80\\r\n") << server.target(); // the projector's own reply
    }
}

TEST(HostileEndToEnd, A64MegabyteFloodKeepsBothProgramsUnder64Megabytes)
{
    // 64 MB at once at every connection, as fast as the program takes it.
    QPointer<QTcpSocket> connection;
    LocalServer flood([&connection](QTcpSocket* c) {
        c->write(QByteArray(64 * 1024 * 1024, 'x'));
        connection = c;
    });
    QTemporaryDir dir;
    QProcess ctl;
    ctl.setProcessEnvironment(withSettings(dir));
    ctl.start(QStringLiteral(ORVA_CTL_PATH),
              {"send", "CR0", "--timeout", "3000", "--port", QString::fromStdString(flood.target())});
    long peak = 0;
    EXPECT_TRUE(waitFor([&] {
        peak = std::max(peak, peakResidentKb(ctl.processId()));
        return ctl.state() == QProcess::NotRunning;
    }, 30000));
    connection = nullptr;
    QProcess window;
    window.setProcessEnvironment(withSettings(dir, flood.target()));
    window.start(QStringLiteral(ORVA_CONTROL_PATH), {});
    EXPECT_TRUE(waitFor([&] { return connection && connection->bytesToWrite() == 0; }, 60000));
    const long windowPeak = peakResidentKb(window.processId());
    window.terminate();
    window.waitForFinished(10000);
#ifdef __SANITIZE_ADDRESS__
    constexpr long kLimitKb = 1024 * 1024; // the sanitizer's own memory is no measure of the programs'
#else
    constexpr long kLimitKb = 64 * 1024;
#endif
    for (const long kb : {peak, windowPeak})
        EXPECT_TRUE(kb > 0 && kb <= kLimitKb) << kb << " kB";
}

TEST(HostileEndToEnd, TheXServerGoneReleasesTheLockAndAStaleLockOfAnotherUserIsNamed)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const QString device = QString::fromStdString(sim.device());
    QString lockFile; // in the first folder that may be written, as Qt's serial port takes it
    for (std::string_view d : serialLockDirectories()) {
        if (lockFile.isEmpty() && ::access(std::string(d).c_str(), W_OK) == 0)
            lockFile = QString::fromStdString(std::string(d) + '/' + serialLockFileName(sim.device()));
    }

    // The window on an X server of its own, which then goes away.
    QProcess x;
    x.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(x.waitForStarted(10000)) << "Xvfb (Debian package xvfb)";
    ASSERT_TRUE(waitFor([&] { return x.canReadLine(); }, 30000));
    const QString display = ':' + QString::fromLatin1(x.readLine().trimmed());
    QProcess window;
    QProcessEnvironment env = withSettings(dir, sim.device());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display);
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(ORVA_CONTROL_PATH), {});
    // The window's own lock, not one an earlier program left for this pty.
    const auto lockedByWindow = [&] {
        QFile f(lockFile);
        return f.open(QIODevice::ReadOnly) && f.readLine().trimmed().toLongLong() == window.processId();
    };
    ASSERT_TRUE(waitFor(lockedByWindow, 30000)) << lockFile.toStdString();
    x.terminate();
    ASSERT_TRUE(window.waitForFinished(30000));
    EXPECT_FALSE(QFile::exists(lockFile)) << lockFile.toStdString() << ", the window ended "
        << (window.exitStatus() == QProcess::CrashExit ? "by a signal" : "with status ") << window.exitCode()
        << ":\n" << window.readAllStandardError().toStdString();
    x.waitForFinished(10000);

    if (::geteuid() != 0)
        GTEST_SKIP() << "a lock file of another user needs root to make";
    // A lock whose program ended, in a folder where only its owner (root)
    // may remove it; user nobody then asks for the device.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    QFile lock(lockFile);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(gone) + "\norva-control\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    const QString copy = dir.filePath(QStringLiteral("orva-ctl")); // where nobody may run it
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORVA_CTL_PATH), copy));
    for (const auto& [path, mode] : {std::pair{device, 0666}, std::pair{dir.path(), 0755}, std::pair{copy, 0755}})
        ::chmod(path.toLocal8Bit().constData(), static_cast<mode_t>(mode));
    QProcess ctl;
    ctl.start(QStringLiteral("setpriv"),
              {"--reuid=65534", "--regid=65534", "--clear-groups", copy, "status", "--port", device});
    ASSERT_TRUE(ctl.waitForFinished(30000));
    const std::string err = ctl.readAllStandardError().toStdString();
    QFile::remove(lockFile);
    EXPECT_EQ(ctl.exitCode(), 2) << err;
    EXPECT_NE(err.find("lock file " + lockFile.toStdString() + " of user root, PID " + std::to_string(gone)),
              std::string::npos) << err;
}

} // namespace
} // namespace orva::test
