#include "settings/qsettings_defaults_store.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace veloquill;
using namespace veloquill::test;

namespace {
// Bytes a JSON blob may hold, and a few an INI file must escape.
const char RawBlob[] = "{\"1-2-Zöno X-N/A\":[0.5]}\n\\;=@[x]\r\0end";
const QByteArray Blob(RawBlob, sizeof RawBlob - 1);

// Each test has its own XDG_CONFIG_HOME; the store finds its file there, in this process as
// in the writer's, which writes through the store in a process of its own.
class DefaultsStoreFile : public ::testing::Test
{
protected:
    DefaultsStoreFile() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path())); }
    ~DefaultsStoreFile() override { qunsetenv("XDG_CONFIG_HOME"); }

    QString confPath() const { return home.path() + "/Veloquill/Veloquill.conf"; }
    QTemporaryDir home;
    QProcess writer;
};
} // namespace

TEST_F(DefaultsStoreFile, ConfigHomeThatIsUnsetEmptyOrRelativeMeansDotConfig)
{
    for (const char* configHome : {"", "relative/config"}) {
        qputenv("XDG_CONFIG_HOME", configHome);
        EXPECT_EQ(QSettingsDefaultsStore::standardFilePath(),
                  QDir::homePath() + "/.config/Veloquill/Veloquill.conf");
    }
}

TEST_F(DefaultsStoreFile, NewProcessSeesExactlyWhatAKilledOneSavedJustBefore)
{
    QSettingsDefaultsStore before;
    before.setData("Veloquill_DeviceSpecificSettings_v1", "old");
    before.setString("selectedDeviceID_v2_settings_state", "old");
    writer.start(SETTINGS_STORE_WRITER,
                 {"data:Veloquill_DeviceSpecificSettings_v1=" + QString::fromLatin1(Blob.toHex()),
                  "string:preferredDeviceName=Zono X, Model 2", "bool:autoSwitchToNewDevices=false",
                  "remove:selectedDeviceID_v2_settings_state", "string:text=@ByteArray(x)",
                  "string:yes=yes", "wait"});
    while (!writer.canReadLine())
        ASSERT_TRUE(writer.waitForReadyRead(30000));
    EXPECT_EQ(writer.readLine(), "written\n");
    writer.kill(); // SIGKILL: no exit handlers, no destructors
    ASSERT_TRUE(writer.waitForFinished(30000));
    EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);

    QSettingsDefaultsStore after;
    EXPECT_EQ(after.data("Veloquill_DeviceSpecificSettings_v1"), Blob);
    EXPECT_EQ(after.string("preferredDeviceName"), "Zono X, Model 2");
    EXPECT_EQ(after.boolean("autoSwitchToNewDevices"), false);
    EXPECT_EQ(after.string("selectedDeviceID_v2_settings_state"), std::nullopt);
    // Kinds stay apart in the file: data is not text, and only true or false is a boolean.
    EXPECT_EQ(after.string("Veloquill_DeviceSpecificSettings_v1"), std::nullopt);
    EXPECT_EQ(after.data("text"), std::nullopt);
    EXPECT_EQ(after.string("text"), "@ByteArray(x)");
    EXPECT_EQ(after.boolean("yes"), std::nullopt);
}

TEST_F(DefaultsStoreFile, FailedWriteIsLoggedAndLandsWithTheNextOneThatSucceeds)
{
    // A file where the store's folder should be: nothing can be written below it.
    QFile blocker(home.path() + "/Veloquill");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    QSettingsDefaultsStore store;
    store.setBoolean("autoSwitchToNewDevices", true);
    store.remove("preferredDeviceName");
    EXPECT_EQ(log.lines(), QStringList(2, "QSettingsDefaultsStore: Could not write settings to " +
                                              confPath() + ": access error"));

    ASSERT_TRUE(blocker.remove());
    store.setString("preferredDeviceName", "Zono X");
    EXPECT_EQ(log.lines().size(), 2);
    QFile file(confPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "[General]\nautoSwitchToNewDevices=true\npreferredDeviceName=Zono X\n");
}
