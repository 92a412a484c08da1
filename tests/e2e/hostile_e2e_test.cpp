// Far ends that do not behave, on 127.0.0.1: a server that greets, one that
// floods, one that resets during the open; and a lock file left behind.
#include "link/port_holder.h"
#include "link/qt_serial_port.h"
#include "qt_wait.h"
#include "ser2net.h"
#include "simulator.h"

#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace orva::test {
namespace {

// A server on 127.0.0.1 that, at every connection, floods `flood` bytes and
// holds the line, or resets it at once.
class ScriptedServer {
public:
    ScriptedServer(std::size_t flood, bool reset) : flood_(flood), reset_(reset)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(listener_, 4) != 0
            || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedServer()
    {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
    }
    std::string target() const { return "tcp://127.0.0.1:" + std::to_string(port_); }
    std::size_t sent() const { return sent_; }

private:
    void serve()
    {
        const std::string chunk(64 * 1024, 'x');
        while (!stop_) {
            const int c = ::accept(listener_, nullptr, nullptr);
            if (c < 0)
                return;
            if (reset_) {
                const linger hard{1, 0};
                ::setsockopt(c, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            }
            const timeval patience{0, 200000};
            ::setsockopt(c, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
            for (std::size_t done = 0; !reset_ && !stop_ && done < flood_;) {
                const ssize_t n = ::send(c, chunk.data(), chunk.size(), MSG_NOSIGNAL);
                if (n <= 0 && errno != EAGAIN)
                    break;
                if (n > 0) {
                    sent_ += static_cast<std::size_t>(n);
                    done += static_cast<std::size_t>(n);
                }
            }
            while (!reset_ && !stop_)
                ::usleep(20000);
            ::close(c);
        }
    }

    int listener_ = -1;
    quint16 port_ = 0;
    std::size_t flood_;
    bool reset_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> sent_{0};
    std::thread thread_;
};

// The high-water mark of a process's resident memory, in kB (0 once it is gone).
long peakResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return 0;
}

TEST(HostileTransport, InputIsBoundedFromConnectAndAResetDuringTheOpenSaysNothingOnStderr)
{
    static QStringList warnings;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { warnings << message; });
    {
        ScriptedServer flood(8 * 1024 * 1024, false);
        QtSerialPort port(QtSerialPort::Resolver{});
        port.setTarget(parsePortTarget(flood.target()));
        ASSERT_TRUE(port.open()) << port.errorText();
        ASSERT_TRUE(waitFor([&] { return flood.sent() >= 8u * 1024 * 1024; }, 20000)) << flood.sent();
        spin(200);
        constexpr auto kLimit = static_cast<std::size_t>(QtSerialPort::kInputLimit);
        EXPECT_LE(port.read().size(), kLimit);
        EXPECT_GE(port.droppedInput(), 8u * 1024 * 1024 - 2 * kLimit);

        ScriptedServer reset(0, true);
        QtSerialPort refused(QtSerialPort::Resolver{});
        refused.setTarget(parsePortTarget(reset.target()));
        EXPECT_FALSE(refused.open());
        EXPECT_EQ(refused.errorText().rfind(reset.target() + ": ", 0), 0u) << refused.errorText();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

QProcessEnvironment withSettings(const QTemporaryDir& dir)
{
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
        for (const auto& [args, out] : {std::pair{QStringList{"status"}, QByteArray("Stand by\n")},
                                        std::pair{QStringList{"send", "CR0"}, QByteArray("80\\r\n")}}) {
            QProcess ctl;
            ctl.setProcessEnvironment(withSettings(dir));
            ctl.start(QStringLiteral(ORVA_CTL_PATH), args + QStringList{"--port", QString::fromStdString(server.target())});
            ASSERT_TRUE(ctl.waitForFinished(30000));
            EXPECT_EQ(ctl.exitCode(), 0) << server.target() << " " << ctl.readAllStandardError().toStdString();
            EXPECT_EQ(ctl.readAllStandardOutput(), out) << server.target();
        }
    }
}

TEST(HostileEndToEnd, A64MegabyteFloodKeepsBothProgramsUnder64Megabytes)
{
    constexpr long kLimitKb = 64 * 1024;
    QTemporaryDir dir;
    {
        ScriptedServer flood(64u * 1024 * 1024, false);
        QProcess ctl;
        ctl.setProcessEnvironment(withSettings(dir));
        ctl.start(QStringLiteral(ORVA_CTL_PATH),
                  {"send", "CR0", "--timeout", "3000", "--port", QString::fromStdString(flood.target())});
        ASSERT_TRUE(ctl.waitForStarted(10000));
        long peak = 0;
        while (!ctl.waitForFinished(50))
            peak = std::max(peak, peakResidentKb(ctl.processId()));
        EXPECT_GT(peak, 0);
        EXPECT_LE(peak, kLimitKb);
    }
    ScriptedServer flood(64u * 1024 * 1024, false);
    QFile settings(dir.filePath(QStringLiteral("ORVA.conf")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(("[Ports]\nCOM1=" + flood.target() + "\n[StartUP]\nComPort=1\nBaudRate=192\n").c_str());
    settings.close();
    QProcess window;
    window.setProcessEnvironment(withSettings(dir));
    window.start(QStringLiteral(ORVA_CONTROL_PATH), {});
    ASSERT_TRUE(window.waitForStarted(10000));
    EXPECT_TRUE(waitFor([&] { return flood.sent() >= 64u * 1024 * 1024; }, 60000)) << flood.sent();
    const long peak = peakResidentKb(window.processId());
    EXPECT_GT(peak, 0);
    EXPECT_LE(peak, kLimitKb);
    window.terminate();
    EXPECT_TRUE(window.waitForFinished(10000));
}

TEST(HostileEndToEnd, TheXServerGoneReleasesTheLockAndAStaleLockOfAnotherUserIsNamed)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const QString device = QString::fromStdString(sim.device());
    QString lockFile;
    for (std::string_view d : serialLockDirectories()) {
        if (lockFile.isEmpty() && ::access(std::string(d).c_str(), W_OK) == 0)
            lockFile = QString::fromUtf8(d.data(), static_cast<qsizetype>(d.size())) + '/'
                + QString::fromStdString(serialLockFileName(sim.device()));
    }
    ASSERT_FALSE(lockFile.isEmpty());

    // The window on an X server of its own, which then goes away.
    QProcess x;
    x.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(x.waitForStarted(10000)) << "Xvfb (Debian package xvfb)";
    ASSERT_TRUE(waitFor([&] { return x.canReadLine(); }, 30000));
    const QString display = ':' + QString::fromLatin1(x.readLine().trimmed());
    QFile settings(dir.filePath(QStringLiteral("ORVA.conf")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Ports]\nCOM1=" + device.toUtf8() + "\n[StartUP]\nComPort=1\nBaudRate=192\n");
    settings.close();
    QProcess window;
    QProcessEnvironment env = withSettings(dir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display);
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(ORVA_CONTROL_PATH), {});
    ASSERT_TRUE(waitFor([&] { return QFile::exists(lockFile); }, 30000)) << lockFile.toStdString();
    x.terminate();
    ASSERT_TRUE(window.waitForFinished(30000));
    EXPECT_FALSE(QFile::exists(lockFile)) << lockFile.toStdString();
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
    QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);
    const QString copy = dir.filePath(QStringLiteral("orva-ctl"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORVA_CTL_PATH), copy));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                          | QFile::ExeOther);
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QProcess ctl;
    ctl.start(QStringLiteral("setpriv"),
              {"--reuid=65534", "--regid=65534", "--clear-groups", copy, "status", "--port", device});
    ASSERT_TRUE(ctl.waitForFinished(30000));
    const std::string err = ctl.readAllStandardError().toStdString();
    QFile::remove(lockFile);
    EXPECT_EQ(ctl.exitCode(), 2) << err;
    EXPECT_NE(err.find("lock file " + lockFile.toStdString() + " of user root, PID "
                       + std::to_string(gone)),
              std::string::npos)
        << err;
}

} // namespace
} // namespace orva::test
