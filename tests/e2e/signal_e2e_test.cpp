// The real program ended by a signal, as a logout, kill or a service manager
// ends it: the port is closed and its lock released, so another program can
// have the line at once.
#include "qt_wait.h"
#include "simulator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>

#include <csignal>
#include <sys/file.h>

#include <gtest/gtest.h>

#ifndef ORVA_CONTROL_PATH
#define ORVA_CONTROL_PATH "orva-control"
#endif

namespace orva::test {
namespace {

// The lock file the serial library keeps for `device` while it is open, in
// whichever of the usual lock folders it is; empty when there is none.
QString lockFileOf(const std::string& device)
{
    QString name = QString::fromStdString(device);
    if (name.startsWith("/dev/"))
        name = name.mid(5);
    name.replace('/', '_');
    for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                               "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QString path = QString::fromLatin1(folder) + "/LCK.." + name;
        if (QFile::exists(path))
            return path;
    }
    return {};
}

struct Control {
    explicit Control(const std::string& device, bool portStored = true)
    {
        QFile conf(config.filePath("ORVA.conf"));
        EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(("[Ports]\nCOM1=" + device + "\n").c_str());
        if (portStored)
            conf.write("\n[StartUP]\nComPort=1\nBaudRate=192\n");
        conf.close();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(ORVA_CONTROL_PATH), {});
        EXPECT_TRUE(process.waitForStarted(10000));
    }
    ~Control()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool endedNormally(int signal)
    {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
    }
    QTemporaryDir config;
    QProcess process;
};

class EndedBySignal : public ::testing::TestWithParam<int> {};

TEST_P(EndedBySignal, PortIsClosedAndItsLockReleased)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    Control control(sim.device());
    // Open: the lock is there and another opener is refused.
    ASSERT_TRUE(waitFor([&] { return !lockFileOf(sim.device()).isEmpty(); }, 20000))
        << "the program never opened " << sim.device();
    const QString lock = lockFileOf(sim.device());
    {
        QSerialPort other(QString::fromStdString(sim.device()));
        EXPECT_FALSE(other.open(QIODevice::ReadWrite));
    }

    ASSERT_TRUE(control.endedNormally(GetParam())) << control.process.exitCode();
    EXPECT_FALSE(QFile::exists(lock)) << lock.toStdString();

    // Another program has the line at once, lock and all.
    QSerialPort other(QString::fromStdString(sim.device()));
    ASSERT_TRUE(other.open(QIODevice::ReadWrite)) << other.errorString().toStdString();
    EXPECT_EQ(::flock(static_cast<int>(other.handle()), LOCK_EX | LOCK_NB), 0);
    other.close();
}

TEST_P(EndedBySignal, WhileTheStartUpDialogWaitsItEndsAsWell)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    Control control(sim.device(), false); // nothing stored: the dialog asks
    spin(1000);
    ASSERT_EQ(control.process.state(), QProcess::Running);
    EXPECT_TRUE(control.endedNormally(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, EndedBySignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

} // namespace
} // namespace orva::test
