// The per-user store on disk: where it lives and what the file says.
#include "settings/port_map.h"
#include "settings/qt_settings_store.h"
#include "settings/stored_settings.h"

#include <QFile>
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
    EXPECT_EQ(devicePathForPort(3, again), "/dev/ttyUSB7");
    EXPECT_EQ(devicePathForPort(4, again), "/dev/ttyS3");
#endif
}

} // namespace
} // namespace orva
