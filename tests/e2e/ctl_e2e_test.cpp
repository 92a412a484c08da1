// orva-ctl as a script runs it: the real program against the projector
// simulator on a pseudo-terminal, with a settings file of its own.
#include "ctl/ctl_arguments.h"
#include "ports/port_holder.h"
#include "lock_holder.h"
#include "qt_wait.h"
#include "ser2net.h"
#include "simulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>

namespace orva::test {
namespace {

struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
};

class CtlEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(config.isValid()); }

    void startSimulator(QStringList options = {})
    {
        sim = std::make_unique<Simulator>(options);
        ASSERT_TRUE(sim->started()) << "simulator did not start";
    }
    QString device() const { return QString::fromStdString(sim->device()); }
    QString settingsFile() const { return config.filePath(QStringLiteral("ORVA.conf")); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    // The time limit only guards against a hang.
    CtlRun ctl(const QStringList& arguments, int limitMs = 30000)
    {
        return run(QStringLiteral(ORVA_CTL_PATH), arguments, environment(), limitMs);
    }
    static CtlRun run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
                      int limitMs = 30000)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, arguments);
        CtlRun r;
        if (!p.waitForFinished(limitMs)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << program.toStdString() << " did not end: " << arguments.join(' ').toStdString();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        return r;
    }
    // A read or send on the simulator's device.
    CtlRun on(QStringList arguments) { return ctl(arguments << QStringLiteral("--port") << device()); }

    void writeSettings(const QByteArray& text)
    {
        QFile f(settingsFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray settingsText() const
    {
        QFile f(settingsFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir config;
    std::unique_ptr<Simulator> sim;
};

QJsonObject json(const CtlRun& r)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one object, one line";
    return doc.object();
}

TEST_F(CtlEndToEnd, EveryReadIsAnsweredInTheWindowsWords)
{
    startSimulator({"--count-down", "200"});
    const std::vector<std::pair<QString, std::string>> reads{
        {"status", "Stand by\n"},        {"input", "Input 1\n"},         {"setting", "Normally\n"},
        {"lamp-time", "123\n"},          {"temp", "25.0 26.2 27.0\n"},   {"lamp-status", "Lamp is OFF\n"},
        {"lamp-mode", "Lamp Mode is NORMAL\n"},
    };
    for (const auto& [command, words] : reads) {
        const CtlRun r = on({command});
        EXPECT_EQ(r.code, 0) << command.toStdString() << ": " << r.err;
        EXPECT_EQ(r.out, words) << command.toStdString();
        EXPECT_EQ(r.err, "");
    }
    // Power on: the acknowledge, then the status runs through its words.
    const CtlRun on = this->on({"send", "C00"});
    EXPECT_EQ(on.code, 0) << on.err;
    EXPECT_EQ(on.out, "\\x06\\r\n");
    ASSERT_TRUE(waitFor([&] { return this->on({"status"}).out == "Power ON\n"; }));
    EXPECT_EQ(this->on({"lamp-status"}).out, "Lamp is ON\n");
    EXPECT_EQ(this->on({"send", "--monitor", "CF", "LAMPMODE", "ECO"}).out, "  [ACK]  [CR] \n");
    EXPECT_EQ(this->on({"lamp-mode"}).out, "Lamp Mode is Eco\n");
    EXPECT_EQ(this->on({"send", "--monitor", "CR0"}).out, " 0 0  [CR] \n");
}

TEST_F(CtlEndToEnd, JsonIsOneObjectWithNumbersWhereTheyAreNumbers)
{
    startSimulator({"--lamp-hours", "4321"});
    QJsonObject o = json(on({"temp", "--json"}));
    EXPECT_EQ(o["port"].toString(), device());
    EXPECT_EQ(o["device"].toString(), device());
    EXPECT_EQ(o["baud"].toInt(), 19200);
    EXPECT_EQ(o["command"].toString(), "CR6");
    EXPECT_EQ(o["reply"].toString(), "+25.0 +26.2 +27.0\r");
    const QJsonArray t = o["temperatures"].toArray();
    ASSERT_EQ(t.size(), 3);
    EXPECT_DOUBLE_EQ(t[0].toDouble(), 25.0);
    EXPECT_DOUBLE_EQ(t[2].toDouble(), 27.0);

    o = json(on({"lamp-time", "--json", "--baud", "9600"}));
    EXPECT_EQ(o["lampHours"].toInt(), 4321);
    EXPECT_EQ(o["baud"].toInt(), 9600);
    o = json(on({"status", "--json"}));
    EXPECT_EQ(o["status"].toString(), "Stand by");
    o = json(on({"send", "--json", "C0B"}));
    EXPECT_EQ(o["reply"].toString(), "\x06\r");
    EXPECT_EQ(o["monitor"].toString(), "  [ACK]  [CR] ");

    // Failures are objects too, with the error.
    sim->stop();
    const CtlRun gone = on({"status", "--json"});
    EXPECT_EQ(gone.code, 2);
    o = json(gone);
    EXPECT_TRUE(o["reply"].isNull());
    EXPECT_FALSE(o["error"].toString().isEmpty());

    o = json(ctl({"commands", "basic", "--json"}));
    EXPECT_EQ(o["commands"].toArray().size(), 59);
    EXPECT_EQ(o["commands"].toArray()[0].toObject()["command"].toString(), "C00");
    o = json(ctl({"ports", "--json"}));
    EXPECT_EQ(o["map"].toArray().size(), 15);
    EXPECT_EQ(o["settings"].toString(), settingsFile());
}

TEST_F(CtlEndToEnd, NoReplyIsThreeAndALateReplyCountsWithinALongerTimeOut)
{
    startSimulator({"--no-reply"});
    CtlRun r = on({"status", "--timeout", "300"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "orva-ctl: no reply from " + sim->device() + " within 300 ms\n");
    EXPECT_EQ(on({"send", "C00", "--timeout", "300", "--monitor"}).out, " X X X X\n");

    startSimulator({"--late", "600"});
    EXPECT_EQ(on({"status", "--timeout", "200"}).code, 3);
    r = on({"status", "--timeout", "5000"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Stand by\n");
}

TEST_F(CtlEndToEnd, TheWaitEndsWithTheReplyNotWithTheTimeOut)
{
    // A minute's time-out: were it waited out, orva-ctl would outlast the
    // half minute this test gives it.
    startSimulator({"--delay", "20"});
    const CtlRun r = ctl({"status", "--timeout", "60000", "--port", device()}, 30000);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Stand by\n");
}

TEST_F(CtlEndToEnd, RepliesInPiecesAreGatheredToTheirCr)
{
    startSimulator({"--split", "1", "--gap", "15"});
    EXPECT_EQ(on({"status"}).out, "Stand by\n");
    EXPECT_EQ(on({"lamp-status"}).out, "Lamp is OFF\n");
    EXPECT_EQ(on({"temp"}).out, "25.0 26.2 27.0\n");
    EXPECT_EQ(on({"lamp-time"}).out, "123\n");
    EXPECT_EQ(on({"send", "CR LAMPSTS"}).out, "000 1O\\r\n");
}

TEST_F(CtlEndToEnd, GarbageBeforeTheReplyDoesNotDecode)
{
    startSimulator({"--garbage", "3"});
    const CtlRun r = on({"status"});
    EXPECT_EQ(r.code, 4) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("does not decode as the power status"), std::string::npos) << r.err;
    // send judges nothing: it shows what came, escaped.
    const CtlRun s = on({"send", "C00"});
    EXPECT_EQ(s.code, 0) << s.err;
    EXPECT_NE(s.out.find("\\x"), std::string::npos) << s.out;
}

TEST_F(CtlEndToEnd, OnlyTheFrameAskedForReachesTheProjector)
{
    const QString log = config.filePath(QStringLiteral("sim.log"));
    startSimulator({"--log", log});
    EXPECT_EQ(on({"send", "CF", "BRIGHT", "0%%"}).code, 64);
    EXPECT_EQ(on({"send", "C00[CR]"}).code, 64);
    EXPECT_EQ(on({"status", "--baud", "4800"}).code, 64);
    EXPECT_EQ(on({"status"}).code, 0);
    EXPECT_EQ(on({"send", "CF", "BRIGHT", "050"}).code, 0);
    EXPECT_EQ(on({"lamp-status"}).code, 0);
    sim->stop();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList commands;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (!line.isEmpty())
            commands << QString::fromLatin1(line.mid(line.indexOf(' ') + 1));
    }
    EXPECT_EQ(commands, QStringList({"CR0", "CF BRIGHT 050", "CR LAMPSTS"}));
}

TEST_F(CtlEndToEnd, APortHeldByTheWindowIsRefusedNamingIt)
{
    startSimulator();
    writeSettings(QStringLiteral("[Ports]\nCOM1=%1\n\n[StartUP]\nComPort=1\nBaudRate=192\n").arg(device()).toUtf8());
    QProcess window;
    window.setProcessEnvironment(environment());
    window.start(QStringLiteral(ORVA_CONTROL_PATH), {});
    ASSERT_TRUE(window.waitForStarted(10000));
    // Until its lock file is there.
    const QString lockName = QString::fromStdString(serialLockFileName(sim->device()));
    // Named as the program finds it: in the first directory that shows it
    // (one may be a link to another, so the file can appear in the second
    // between the looks at the two; hence the second pass once it is there).
    QString lockFile;
    const auto firstShowing = [&] {
        for (std::string_view dir : serialLockDirectories()) {
            lockFile = QString::fromLatin1(dir.data(), dir.size()) + '/' + lockName;
            if (QFileInfo::exists(lockFile))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(waitFor(firstShowing));
    ASSERT_TRUE(firstShowing());

    // The stored port, as a script on the same machine would use it.
    const CtlRun r = ctl({"status"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "orva-ctl: cannot open COM1 (" + sim->device() + "): held by another program: orva-control (PID " +
                         std::to_string(window.processId()) + ", user " + std::string(::getpwuid(::geteuid())->pw_name)
                         + "; lock file " + QFileInfo(lockFile).absoluteFilePath().toStdString() + ")\n");
    EXPECT_EQ(on({"send", "C00"}).code, 2);
    window.terminate();
    window.waitForFinished(10000);
    // Free again once the window is gone.
    ASSERT_TRUE(waitFor([&] { return ctl({"status"}).code == 0; }));
}

TEST_F(CtlEndToEnd, APortLockedByAnotherProgramIsRefusedWithItsPid)
{
    startSimulator();
    const LockHolder holder(sim->device());
    ASSERT_TRUE(holder.holding());
    const CtlRun r = on({"status"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("held by another program: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(PID "), std::string::npos) << r.err;
}

TEST_F(CtlEndToEnd, AbsentDevicesNetworkAddressesAndNoStoredPortAreTwo)
{
    CtlRun r = ctl({"status", "--port", "/dev/orva-no-such-tty"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("cannot open /dev/orva-no-such-tty: no such device"), std::string::npos) << r.err;
    r = ctl({"status", "--port", "tcp://127.0.0.1:9"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("cannot open tcp://127.0.0.1:9: "), std::string::npos) << r.err; // refused
    r = ctl({"status"}); // nothing stored
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("none stored"), std::string::npos) << r.err;
    writeSettings("[StartUP]\nComPort=4\n[Ports]\nCOM4=/dev/orva-unplugged\n");
    r = ctl({"lamp-time"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("cannot open COM4 (/dev/orva-unplugged): no such device"), std::string::npos) << r.err;
    // A regular file is no serial device; a relative path to a device that
    // is there is that device.
    r = ctl({"status", "--port", QDir::current().relativeFilePath(settingsFile())});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "orva-ctl: cannot open " + settingsFile().toStdString() + ": not a serial device\n");
    startSimulator();
    r = ctl({"status", "--port", QDir::current().relativeFilePath(device())});
    EXPECT_EQ(r.code, 0) << r.err;
}

TEST_F(CtlEndToEnd, MapWritesItsLineAndKeepsTheRestOfTheFile)
{
    startSimulator();
    const QByteArray original = "; the projectors of room 3\n"
                                "[General]\n"
                                "owner=\"AV team, 2nd floor\"\n"
                                "\n"
                                "[Ports]\n"
                                "COM1=/dev/ttyS0 ; on-board\n"
                                "\n"
                                "[StartUP]\n"
                                "ComPort=2\n"
                                "BaudRate=96\n"
                                "\n"
                                "[Other%20Tool]\n"
                                "list=a,b\n"
                                "path=C:\\\\temp\n";
    writeSettings(original);
    QSettings before(settingsFile(), QSettings::IniFormat);
    QMap<QString, QVariant> values;
    for (const QString& k : before.allKeys())
        values.insert(k, before.value(k));

    CtlRun r = ctl({"map", "COM2", device()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "COM2 now maps to " + sim->device() + " (in " + settingsFile().toStdString() + ")\n");
    QByteArray expected = original;
    expected.replace("COM1=/dev/ttyS0 ; on-board\n", "COM1=/dev/ttyS0 ; on-board\nCOM2=" + device().toUtf8() + "\n");
    EXPECT_EQ(settingsText().toStdString(), expected.toStdString());
    {
        QSettings after(settingsFile(), QSettings::IniFormat);
        values.insert(QStringLiteral("Ports/COM2"), device());
        QMap<QString, QVariant> now;
        for (const QString& k : after.allKeys())
            now.insert(k, after.value(k));
        EXPECT_EQ(now, values);
    }
    // The stored port (COM2) now reaches the projector with nothing more.
    r = ctl({"status"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Stand by\n");

    // Refused: nothing written.
    for (const QStringList& bad : {QStringList{"map", "COM16", "/dev/ttyUSB0"}, QStringList{"map", "COM3", "ttyUSB0"},
                                   QStringList{"map", "COM3", settingsFile()}, QStringList{"map", "COM3", "tcp://x"}}) {
        EXPECT_EQ(ctl(bad).code, 64) << bad.join(' ').toStdString();
        EXPECT_EQ(settingsText().toStdString(), expected.toStdString());
    }

    r = ctl({"map", "COM2", "--remove"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(settingsText().toStdString(), original.toStdString());
}

TEST_F(CtlEndToEnd, OnlyMapWritesTheSettings)
{
    startSimulator();
    const QByteArray text = "[Ports]\nCOM1=" + device().toUtf8() + "\n[StartUP]\nComPort=1\nBaudRate=192\n";
    writeSettings(text);
    const QDateTime modified = QFileInfo(settingsFile()).lastModified();
    for (const QStringList& args : {QStringList{"status"}, QStringList{"send", "C00"}, QStringList{"ports"},
                                    QStringList{"commands"}, QStringList{"map", "COM1", device()},
                                    QStringList{"map", "COM5", "--remove"}, QStringList{"temp", "--json"}})
        EXPECT_EQ(ctl(args).code, 0) << args.join(' ').toStdString();
    EXPECT_EQ(settingsText(), text);
    EXPECT_EQ(QFileInfo(settingsFile()).lastModified(), modified);
    EXPECT_FALSE(QFileInfo::exists(settingsFile() + ".lock"));
    EXPECT_EQ(QDir(config.path()).entryList(QDir::Files), QStringList({"ORVA.conf"}));
}

TEST_F(CtlEndToEnd, PortsListsTheMapAndWhatExists)
{
    startSimulator();
    writeSettings("[Ports]\nCOM2=" + device().toUtf8() + "\nCOM3=/dev/orva-unplugged\nCOM4=tcp://pj:4001\n"
                  "[StartUP]\nComPort=2\n");
    const CtlRun r = ctl({"ports"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Serial devices present:\n"), std::string::npos);
    const QString out = QString::fromStdString(r.out);
    EXPECT_TRUE(out.contains(QRegularExpression("\\* COM2 +" + QRegularExpression::escape(device()) + " +present\n")))
        << r.out;
    EXPECT_TRUE(out.contains(QRegularExpression("  COM3 +/dev/orva-unplugged +absent\n"))) << r.out;
    EXPECT_TRUE(out.contains(QRegularExpression("  COM4 +tcp://pj:4001 +network address\n"))) << r.out;
    EXPECT_TRUE(out.contains(QRegularExpression("  COM5 +/dev/ttyS4 \\(default\\)"))) << r.out;
}

TEST_F(CtlEndToEnd, HelpVersionAndUsageErrors)
{
    CtlRun r = ctl({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("Usage: orva-ctl [options] COMMAND", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Exit status:"), std::string::npos);
    for (const char* command : {"ports", "map", "send", "status", "input", "setting", "lamp-time", "temp",
                                "lamp-status", "lamp-mode", "commands", "help"}) {
        r = ctl({command, "--help"});
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_EQ(r.out.rfind("Usage: orva-ctl [options] " + std::string(command), 0), 0u) << r.out;
        EXPECT_EQ(ctl({"help", command}).out, r.out) << command;
    }
    EXPECT_NE(ctl({"send", "--help"}).out.find("--monitor"), std::string::npos);
    EXPECT_EQ(ctl({"status", "--help"}).out.find("--monitor"), std::string::npos);
    r = ctl({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(QString::fromStdString(r.out).contains(QRegularExpression("^orva-ctl \\d+\\.\\d+\\.\\d+\n$")));

    for (const QStringList& bad : {QStringList{}, QStringList{"stat"}, QStringList{"status", "--bogus"},
                                   QStringList{"status", "--port"}, QStringList{"status", "--timeout", "0"},
                                   QStringList{"status", "extra"}, QStringList{"status", "--monitor"},
                                   QStringList{"commands", "all"}}) {
        r = ctl(bad);
        EXPECT_EQ(r.code, 64) << bad.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("orva-ctl: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("Try 'orva-ctl"), std::string::npos) << r.err;
    }
    r = ctl({"send", "CF", "VOLUME", "0%%"});
    EXPECT_EQ(r.code, 64);
    EXPECT_NE(r.err.find("placeholder \"%%\""), std::string::npos) << r.err;
}

TEST_F(CtlEndToEnd, NoGuiLibraryIsLoaded)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(ORVA_CTL_PATH)});
    ASSERT_TRUE(ldd.waitForFinished(10000));
    const QString libs = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_TRUE(libs.contains("libQt6Core")) << libs.toStdString();
    EXPECT_FALSE(libs.contains("libQt6Gui")) << libs.toStdString();
    EXPECT_FALSE(libs.contains("libQt6Widgets")) << libs.toStdString();
    // And it runs with no display at all.
    QProcess p;
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVA_CTL_PATH), {"commands", "basic"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
}

TEST_F(CtlEndToEnd, BashCompletionOffersCommandsOptionsAndComNames)
{
    auto complete = [&](const QString& line) {
        // The words of the line; the last one is being completed.
        const QString script = QStringLiteral(
            "source '%1/packaging/bash-completion/orva-ctl'\n"
            "COMP_WORDS=(%2); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
            "[[ '%3' == *' ' ]] && { COMP_WORDS+=(''); COMP_CWORD=$((COMP_CWORD + 1)); }\n"
            "_orva_ctl; printf '%s\\n' \"${COMPREPLY[@]}\"\n")
                                   .arg(QStringLiteral(ORVA_SOURCE_DIR), line, line);
        QProcess bash;
        bash.start(QStringLiteral("bash"), {"--norc", "-c", script});
        EXPECT_TRUE(bash.waitForFinished(10000));
        EXPECT_EQ(bash.readAllStandardError(), "");
        return QString::fromLocal8Bit(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    };
    const QString ctlPath = QStringLiteral(ORVA_CTL_PATH);
    EXPECT_EQ(complete(ctlPath + " lamp-"), QStringList({"lamp-time", "lamp-status", "lamp-mode"}));
    EXPECT_EQ(complete(ctlPath + " status --po"), QStringList({"--port"}));
    EXPECT_EQ(complete(ctlPath + " status --port COM1"), QStringList({"COM1", "COM10", "COM11", "COM12", "COM13",
                                                                      "COM14", "COM15"}));
    EXPECT_EQ(complete(ctlPath + " --baud "), QStringList({"9600", "19200"}));
    EXPECT_EQ(complete(ctlPath + " map COM"), complete(ctlPath + " --port COM"));
    EXPECT_EQ(complete(ctlPath + " map COM3 --r"), QStringList({"--remove"}));
    EXPECT_EQ(complete(ctlPath + " send --m"), QStringList({"--monitor"}));
    EXPECT_EQ(complete(ctlPath + " commands "), QStringList({"basic", "set", "read"}));
    EXPECT_EQ(complete(ctlPath + " send C0"), QStringList({"C00", "C01", "C02", "C05", "C06", "C07", "C09", "C0A",
                                                           "C0B", "C0C", "C0D", "C0E", "C0F"}));
    EXPECT_EQ(complete(ctlPath + " status --timeout 5 --js"), QStringList({"--json"}));
}

TEST_F(CtlEndToEnd, ManPageAndCompletionKnowEveryCommandAndOption)
{
    auto read = [](const char* path) {
        QFile f(QStringLiteral(ORVA_SOURCE_DIR) + '/' + path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
        return QString::fromUtf8(f.readAll());
    };
    const QString man = read("packaging/man/orva-ctl.1");
    const QString completion = read("packaging/bash-completion/orva-ctl");
    const QString completionCommands = completion.section(QStringLiteral("local commands=\""), 1).section('"', 0, 0);
    for (const CommandSpec& c : ctlCommands()) {
        const QString name = QString::fromLatin1(c.name.data(), c.name.size());
        EXPECT_TRUE(man.contains(QRegularExpression("^\\.B[IR]? \"?" + name + "\\b", QRegularExpression::MultilineOption)))
            << name.toStdString();
        EXPECT_TRUE(completionCommands.split(' ').contains(name)) << name.toStdString();
    }
    for (const auto& options : {commonOptions(), commandOptions()}) {
        for (const OptionSpec& o : options) {
            const QString name = QString::fromLatin1(o.name.data(), o.name.size());
            EXPECT_TRUE(man.contains("\\-\\-" + name)) << name.toStdString();
            EXPECT_TRUE(completion.contains("--" + name)) << name.toStdString();
        }
    }
    // The page reads without a warning, where groff is there to read it.
    QProcess groff;
    groff.start(QStringLiteral("groff"), {"-man", "-ww", "-z", QStringLiteral(ORVA_SOURCE_DIR) + "/packaging/man/orva-ctl.1"});
    if (groff.waitForStarted(5000)) {
        ASSERT_TRUE(groff.waitForFinished(10000));
        EXPECT_EQ(groff.exitCode(), 0);
        EXPECT_EQ(groff.readAllStandardError().toStdString(), "");
    }
}

// Each program answers --help at once, with no display and no port, and its
// manual page names every long option that help lists. A program that is
// not built here is left out.
TEST_F(CtlEndToEnd, HelpNeedsNoDisplayAndEveryOptionOfItIsInTheManualPage)
{
    QProcessEnvironment bare = environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        bare.remove(QString::fromLatin1(name));
    const QString bin = QFileInfo(QStringLiteral(ORVA_CTL_PATH)).absolutePath();
    const std::pair<const char*, const char*> pages[] = {{"orva-control", "orva-control.1"},
                                                         {"orva-ctl", "orva-ctl.1"},
                                                         {"orva-projector-sim", "orva-projector-sim.1"},
                                                         {"orva-pjlinkd", "orva-pjlinkd.8"}};
    for (const auto& [program, page] : pages) {
        if (!QFileInfo::exists(bin + '/' + program))
            continue;
        const CtlRun help = run(bin + '/' + program, {"--help"}, bare);
        EXPECT_EQ(help.code, 0) << program << help.err;
        EXPECT_EQ(help.err, "") << program;
        QFile f(QStringLiteral(ORVA_SOURCE_DIR "/packaging/man/") + page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page;
        const QString man = QString::fromUtf8(f.readAll());
        const QRegularExpression longOption(QStringLiteral("--[a-z][a-z0-9-]*"));
        for (const QRegularExpressionMatch& m : longOption.globalMatch(QString::fromStdString(help.out))) {
            QString written = m.captured();
            written.replace('-', QStringLiteral("\\-"));
            EXPECT_TRUE(man.contains(written)) << page << " lacks " << m.captured().toStdString();
        }
    }

    const QString control = bin + "/orva-control";
    CtlRun r = run(control, {"--version"}, bare);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(QString::fromStdString(r.out).contains(QRegularExpression("^orva-control \\d+\\.\\d+\\.\\d+\n$")));
    // With no display: one line, and 1 rather than the toolkit's abort.
    for (const char* display : {"", ":9973"}) {
        QProcessEnvironment env = bare;
        if (*display)
            env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        r = run(control, {}, env);
        EXPECT_EQ(r.code, 1) << display << r.err;
        EXPECT_EQ(r.err.rfind("orva-control: no display", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

// A projector behind a serial device server: the same answers by address
// given outright and through the map, and over RFC 2217 the baud rate asked
// for reaches the device.
TEST_F(CtlEndToEnd, ProjectorsBehindSer2netAnswerByAddressAndThroughTheMap)
{
    for (const Ser2net::Mode mode : {Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217}) {
        const bool remote = mode == Ser2net::Mode::Rfc2217;
        const QString speedFile = config.filePath(QStringLiteral("speed"));
        QFile::remove(speedFile);
        startSimulator({QStringLiteral("--speed-file"), speedFile});
        Ser2net server(sim->device(), mode);
        ASSERT_TRUE(server.start()) << server.error();
        const QString target = QString::fromStdString(server.target());

        CtlRun r = ctl({"status", "--port", target, "--baud", "9600"});
        EXPECT_EQ(r.code, 0) << target.toStdString() << ": " << r.err;
        EXPECT_EQ(r.out, "Stand by\n") << target.toStdString();
        QFile speed(speedFile);
        ASSERT_TRUE(waitFor([&] { return speed.exists(); }));
        ASSERT_TRUE(speed.open(QIODevice::ReadOnly));
        // Raw TCP cannot set it: the device keeps ser2net's 19200.
        EXPECT_EQ(speed.readAll().trimmed().toStdString(), remote ? "9600" : "19200");

        writeSettings("[StartUP]\nComPort=7\nBaudRate=192\n");
        r = ctl({"map", "COM7", target});
        ASSERT_EQ(r.code, 0) << r.err;
        // ser2net needs a moment between one client and the next.
        ASSERT_TRUE(waitFor([&] { return ctl({"lamp-time"}).out == "123\n"; }, 10000)) << target.toStdString();
        server.stop();
        r = ctl({"lamp-time", "--timeout", "500"});
        EXPECT_EQ(r.code, 2) << r.out << r.err; // nobody listens now
        EXPECT_NE(r.err.find("cannot open COM7 (" + target.toStdString() + ")"), std::string::npos) << r.err;
        sim.reset();
    }
}

} // namespace
} // namespace orva::test
