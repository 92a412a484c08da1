// The per-user store on disk: where it lives and what the file says.
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"
#include "settings/stored_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orva {
namespace {

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
              "COM3=@Point(1 2)\nCOM4=a, b\nCOM5=\"rfc2217://host:7000\"\n");
    for (int n : {1, 2, 3, 4}) {
        const PortResolution r = resolvePort(n, store);
        EXPECT_FALSE(r.target) << n << " " << (r.target ? r.target->text() : "");
        EXPECT_FALSE(r.error.empty()) << n;
    }
    ASSERT_TRUE(resolvePort(5, store).target); // quoted text is still text
    EXPECT_EQ(resolvePort(5, store).target->text(), "rfc2217://host:7000");
}

} // namespace
} // namespace orva
