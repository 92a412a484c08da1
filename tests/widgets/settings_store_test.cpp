// The per-user store on disk: where it lives and what the file says.
#include "as_user.h"
#include "fakes.h"
#include "panel/qt_main_window.h"
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"
#include "settings/stored_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace orva {
namespace {

using test::runAsUnprivilegedUser;
using Problem = StoreOutcome::Problem;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Stores COM3 at 9600 baud in `file` through a store of its own.
StoreOutcome storeIn(const QString& file)
{
    QtSettingsStore store(file);
    return storePortChoice(store, 3, 96);
}

TEST(SettingsFile, ChoiceIsKeptInOrvaConfUnderStartUp)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // The config directory is read when the first settings object is made.
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    {
        QtSettingsStore store;
        EXPECT_EQ(storedPortNumber(store), 0); // nothing stored yet: "DATAC"
        EXPECT_EQ(storedBaudCode(store), 192); // "DATAb"
        storePortChoice(store, 3, 96);
        EXPECT_EQ(store.fileName(), home.filePath("ORVA.conf"));
    }
    QFile file(home.filePath("ORVA.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("[StartUP]")) << text.toStdString();
    EXPECT_TRUE(text.contains("ComPort=3")) << text.toStdString();
    EXPECT_TRUE(text.contains("BaudRate=96")) << text.toStdString();
    file.close();

    // Another run reads it back; a [Ports] entry written by hand maps COM3.
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\n[Ports]\nCOM3=/dev/ttyUSB7\n");
    file.close();
    QtSettingsStore again;
    EXPECT_EQ(storedPortNumber(again), 3);
    EXPECT_EQ(storedBaudCode(again), 96);
#ifndef _WIN32
    EXPECT_EQ(resolvePort(3, again).target->device, "/dev/ttyUSB7");
    EXPECT_EQ(resolvePort(4, again).target->device, "/dev/ttyS3");
#endif
}

// [Ports] as another program leaves it, read by a store that is already
// open: changes are seen at the next open, and values the settings library
// cannot read as text are ports that cannot be opened.
TEST(SettingsFile, PortMapIsReadAfreshAndUnreadableEntriesOpenNothing)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    // The settings library takes the config directory once per process:
    // write where the store reads, whichever test ran first.
    QtSettingsStore store;
    QDir().mkpath(QFileInfo(store.fileName()).absolutePath());
    auto writeFile = [&](const QByteArray& text) {
        QFile file(store.fileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    writeFile("[Ports]\nCOM1=/dev/ttyUSB0\n");
    ASSERT_TRUE(resolvePort(1, store).target);
    EXPECT_EQ(resolvePort(1, store).target->device, "/dev/ttyUSB0");

    // Rewritten by another program while this one runs.
    writeFile("[Ports]\nCOM1=/dev/ttyUSB9\nCOM2=tcp://[::1]:4001\n");
    ASSERT_TRUE(resolvePort(1, store).target);
    EXPECT_EQ(resolvePort(1, store).target->device, "/dev/ttyUSB9");
    EXPECT_EQ(resolvePort(2, store).target->text(), "tcp://[::1]:4001");

    writeFile("[Ports]\nCOM1=@Invalid()\nCOM2=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x3NoSuchType\\0)\n"
              "COM3=@Point(1 2)\nCOM4=a, b\nCOM5=\"rfc2217://host:7000\"\n"
              "COM6=@Variant(\\0\\0\\0\\v\\xff\\xff\\xff\\xf0)\n"); // a list that claims 4 billion strings
    for (int n : {1, 2, 3, 4, 6}) {
        const PortResolution r = resolvePort(n, store);
        EXPECT_FALSE(r.target) << n << " " << (r.target ? r.target->text() : "");
        EXPECT_FALSE(r.error.empty()) << n;
    }
    ASSERT_TRUE(resolvePort(5, store).target); // quoted text is still text
    EXPECT_EQ(resolvePort(5, store).target->text(), "rfc2217://host:7000");
}

TEST(SettingsFile, OneWriteKeepsEveryOtherEntry)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("ORVA.conf");
    writeFile(file, "[Ports]\nCOM3=/dev/ttyUSB0\nCOM4=tcp://10.0.0.9:4001\n\n"
                    "[StartUP]\nComPort=1\nBaudRate=192\n\n[Other]\nkept=yes\n");
    const StoreOutcome outcome = storeIn(file);
    EXPECT_TRUE(outcome.stored());
    EXPECT_EQ(outcome.where, file.toStdString());
    QtSettingsStore again(file);
    EXPECT_EQ(again.read("StartUP", "ComPort", ""), "3");
    EXPECT_EQ(again.read("StartUP", "BaudRate", ""), "96");
    EXPECT_EQ(again.read("Ports", "COM3", ""), "/dev/ttyUSB0");
    EXPECT_EQ(again.read("Ports", "COM4", ""), "tcp://10.0.0.9:4001");
    EXPECT_EQ(again.read("Other", "kept", ""), "yes");
}

TEST(SettingsFile, FileThatDoesNotReadCleanlyIsNeverRewritten)
{
    struct Case {
        const char* name;
        QByteArray text;
        const char* detail; // part of what the outcome says
    };
    const Case cases[] = {
        {"unbalanced quote", "[Ports]\nCOM1=\"/dev/ttyUSB0\nCOM2=/dev/ttyUSB1\n\n[StartUP]\nComPort=1\nBaudRate=96\n",
         "[Ports] COM1 runs over its line"},
        {"quote in a list", "[Ports]\nCOM1=a, \"b\n[StartUP]\nBaudRate=96\n", "[Ports] COM1 runs over"},
        {"broken section", "[Ports\nCOM1=/dev/ttyUSB0\n", "it has lines that cannot be read"},
        {"stray lines", "3\n96\n", "it has lines that cannot be read"},
        {"two keys the library folds into one", "[Ports]\nCOM1=/dev/ttyUSB0\nCOM1/=/dev/ttyUSB1\n",
         "writing would change [Ports] COM1/"},
        {"not UTF-8", "[Ports]\nCOM1=/dev/serial/by-id/usb-caf\xe9\n", "it is not UTF-8 text"},
        {"quote in a list of variants", "[Ports]\nCOM1=@\"Invalid()\nCOM2=x\",\n", "[Ports] COM1 runs over"},
        {"invalid value", "[Ports]\nCOM1=@Invalid()\nCOM2=/dev/ttyUSB1\n", "[Ports] COM1 cannot be read"},
        {"unloadable variant", "[Ports]\nCOM5=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x3gar)\n",
         "[Ports] COM5 cannot be read"},
        {"list that claims more than it holds", "[StartUP]\nComPort=1\n[Ports]\nCOM2=@Variant(\\0\\0\\0\\v\\xff\\xff\\xff\\xf0)\n",
         "[Ports] COM2 cannot be read"},
        {"such a list hidden by a later line of its key",
         "[Ports]\nCOM2=@Variant(\\0\\0\\0\\v\\xff\\xff\\xff\\xf0)\nCOM2=/dev/ttyUSB1\n", "[Ports] COM2 cannot be read"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath("ORVA.conf");
        writeFile(file, c.text);
        const StoreOutcome outcome = storeIn(file); // the store is gone afterwards, too
        EXPECT_EQ(outcome.problem, Problem::Malformed) << c.name;
        EXPECT_NE(outcome.detail.find(c.detail), std::string::npos) << c.name << ": " << outcome.detail;
        EXPECT_EQ(readFile(file), c.text) << c.name;
    }
}

TEST(SettingsFile, RefusalDoesNotOutliveTheTroubleThatCausedIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("ORVA.conf");
    writeFile(file, "[Ports\nCOM1=/dev/ttyUSB0\n");
    QtSettingsStore store(file);
    EXPECT_EQ(storePortChoice(store, 3, 96).problem, Problem::Malformed);
    writeFile(file, "[Ports]\nCOM1=/dev/ttyUSB0\n"); // mended by hand meanwhile
    EXPECT_TRUE(storePortChoice(store, 3, 96).stored());
    EXPECT_EQ(store.read("StartUP", "ComPort", ""), "3");
    EXPECT_EQ(QtSettingsStore(file).read("Ports", "COM1", ""), "/dev/ttyUSB0");
}

TEST(SettingsFile, NameTakenByAFolderIsReported)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("ORVA.conf");
    ASSERT_TRUE(QDir(dir.path()).mkdir("ORVA.conf"));
    const StoreOutcome outcome = storeIn(file);
    EXPECT_EQ(outcome.problem, Problem::NotAFile);
    EXPECT_EQ(outcome.where, file.toStdString());
}

// Permissions root would ignore: as root, the test runs itself again as
// user nobody.
TEST(SettingsFileAsUser, FolderOrFileThatMayNotBeWrittenIsReportedAndLeftAlone)
{
    if (::geteuid() == 0) {
        const auto run = runAsUnprivilegedUser("SettingsFileAsUser.*");
        if (!run.possible)
            GTEST_SKIP() << "needs an unprivileged user, and " << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
        return;
    }
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::ExeOther;
    const auto writable = readOnly | QFile::WriteOwner;
    {   // a read-only folder, no file yet
        QTemporaryDir dir;
        const QString file = dir.filePath("ORVA.conf");
        QFile::setPermissions(dir.path(), readOnly);
        const StoreOutcome outcome = storeIn(file);
        EXPECT_EQ(outcome.problem, Problem::ReadOnlyFolder);
        EXPECT_EQ(outcome.detail, dir.path().toStdString());
        EXPECT_FALSE(QFile::exists(file));
        QFile::setPermissions(dir.path(), writable);
    }
    {   // a folder that cannot be made
        QTemporaryDir dir;
        const QString file = dir.filePath("config/ORVA.conf");
        QFile::setPermissions(dir.path(), readOnly);
        const StoreOutcome outcome = storeIn(file);
        EXPECT_EQ(outcome.problem, Problem::NoFolder);
        EXPECT_EQ(outcome.detail, dir.filePath("config").toStdString());
        QFile::setPermissions(dir.path(), writable);
    }
    {   // a read-only file
        QTemporaryDir dir;
        const QString file = dir.filePath("ORVA.conf");
        const QByteArray text = "[StartUP]\nComPort=1\nBaudRate=192\n";
        writeFile(file, text);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        EXPECT_EQ(storeIn(file).problem, Problem::ReadOnlyFile);
        EXPECT_EQ(readFile(file), text);
    }
    {   // a writable file in a read-only folder: it cannot be replaced
        QTemporaryDir dir;
        const QString file = dir.filePath("ORVA.conf");
        const QByteArray text = "[StartUP]\nComPort=1\nBaudRate=192\n";
        writeFile(file, text);
        QFile::setPermissions(dir.path(), readOnly);
        EXPECT_EQ(storeIn(file).problem, Problem::ReadOnlyFolder);
        EXPECT_EQ(readFile(file), text);
        QFile::setPermissions(dir.path(), writable);
    }
}

// What the operator sees: the port in use, the main window's notice naming
// the file and the reason, the file as it was.
TEST(SettingsFile, ChoiceNotStoredIsToldInTheMainWindow)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("ORVA.conf");
    const QByteArray text = "[Ports]\nCOM3=\"/dev/ttyUSB0\n\n[StartUP]\nComPort=3\nBaudRate=96\n";
    writeFile(file, text);
    test::VirtualClock clock;
    test::FakePort port;
    QtSettingsStore store(file);
    test::FakeShell shell;
    QtMainWindow window;
    Program program{{port, store, clock, window, shell}};
    window.bind(program.panel());
    program.formLoad(); // the fold hides ComPort: the dialog asks
    ASSERT_NE(program.portDialog(), nullptr);
    program.portDialog()->optionClick(5); // COM3
    program.portDialog()->ok();
    window.show();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(program.portDialog(), nullptr);
    auto* notice = window.findChild<QLabel*>("LinkNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().startsWith("COM3 at 19200 baud is in use but not stored for the next start: " + file
                                          + " was left as it is: [Ports] COM3 runs over its line"))
        << notice->text().toStdString();
    EXPECT_EQ(notice->toolTip(), notice->text()); // all of it, should it not fit
    EXPECT_EQ(readFile(file), text);
}

} // namespace
} // namespace orva
