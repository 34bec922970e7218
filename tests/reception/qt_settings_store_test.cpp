#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "reception/qt_settings_store.h"
#include "reception/startup_settings.h"

namespace orv {
namespace {

TEST(QtSettingsStore, IniFileKeepsKeysAndStringValues) {
    QTemporaryDir dir;
    const QString file = dir.filePath("orv.ini");
    {
        QtSettingsStore store(file);
        store.Write(kStartupKey, "Com Port No.", "3");
        store.Write(kStartupKey, "Default Directory", "C:\\Orv data, main");
        store.Write(kFormPositionsKey, "Form12.Top", "00");
        store.Write(kMonitorKey, "Address #1", " #1A7");
        EXPECT_FALSE(store.HasError());
    }
    QtSettingsStore again(file);
    EXPECT_EQ(again.Read(kStartupKey, "Com Port No."), "3");
    EXPECT_EQ(again.Read(kStartupKey, "Default Directory"), "C:\\Orv data, main");
    EXPECT_EQ(again.Read(kFormPositionsKey, "Form12.Top"), "00");
    EXPECT_EQ(again.Read(kMonitorKey, "Address #1"), " #1A7");
    EXPECT_EQ(again.Read(kStartupKey, "Absent"), "");
}

TEST(QtSettingsStore, NonsenseWrittenByHandReadsSafely) {
    QTemporaryDir dir;
    const QString file = dir.filePath("orv.ini");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Startup]\nCom Port No.=@ByteArray(\\0\\x1)\nBaud Rate=fast\nModem Type=1, 2, 3\n"
            "Log%20on%20Start=yes\nDefault%20Directory=/tmp/orv\n\x01garbage line\n");
    f.close();
    QtSettingsStore store(file);
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_EQ(s.baudRate, 1200);
    EXPECT_EQ(s.modemType, ModemType::Bytes514);
    EXPECT_EQ(s.comPort, 0);
    EXPECT_TRUE(s.logOnStart);
}

}  // namespace
}  // namespace orv
