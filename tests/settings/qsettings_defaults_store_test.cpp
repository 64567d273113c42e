#include "settings/qsettings_defaults_store.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace veloquill;
using namespace veloquill::test;

namespace {
// Bytes a JSON blob may hold, and a few an INI file must escape.
const char RawBlob[] = "{\"1-2-Zöno X-N/A\":[0.5]}\n\\;=@[x]\r\0end";
const QByteArray Blob(RawBlob, sizeof RawBlob - 1);

class DefaultsStoreFile : public ::testing::Test
{
protected:
    QString confPath() const { return home.path() + "/Veloquill/Veloquill.conf"; }

    // The helper writes in a process of its own with this XDG_CONFIG_HOME.
    QProcess* startWriter(const QStringList& operations)
    {
        writer.setProgram(SETTINGS_STORE_WRITER);
        writer.setArguments(operations);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.path());
        writer.setProcessEnvironment(environment);
        writer.start();
        return &writer;
    }

    QTemporaryDir home;
    QProcess writer;
};
} // namespace

TEST_F(DefaultsStoreFile, NewProcessSeesExactlyWhatTheLastOneSaved)
{
    {
        QSettingsDefaultsStore before(confPath());
        before.setString("selectedDeviceID_v2_settings_state", "old");
    }
    QProcess* process = startWriter(
        {"data:Veloquill_DeviceSpecificSettings_v1=" + QString::fromLatin1(Blob.toHex()),
         "string:preferredDeviceName=Zono X, Model 2", "bool:autoSwitchToNewDevices=false",
         "remove:selectedDeviceID_v2_settings_state", "string:text=@ByteArray(x)",
         "string:yes=yes"});
    ASSERT_TRUE(process->waitForFinished(30000));
    ASSERT_EQ(process->exitCode(), 0);

    QSettingsDefaultsStore after(confPath());
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

TEST_F(DefaultsStoreFile, ChangeSurvivesAKillRightAfterItWasWritten)
{
    QProcess* process =
        startWriter({"string:selectedDeviceID_v2_settings_state=7-7-Zono X-N/A", "wait"});
    ASSERT_TRUE(process->waitForStarted(30000));
    while (!process->canReadLine())
        ASSERT_TRUE(process->waitForReadyRead(30000));
    EXPECT_EQ(process->readLine(), "written\n");
    process->kill(); // SIGKILL: no exit handlers, no destructors
    ASSERT_TRUE(process->waitForFinished(30000));
    EXPECT_EQ(process->exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(QSettingsDefaultsStore(confPath()).string("selectedDeviceID_v2_settings_state"),
              "7-7-Zono X-N/A");
}

TEST_F(DefaultsStoreFile, FailedWriteIsLogged)
{
    // A file where the store's folder should be: nothing can be written below it.
    QFile blocker(home.path() + "/Veloquill");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    QSettingsDefaultsStore store(confPath());
    store.setBoolean("autoSwitchToNewDevices", true);
    EXPECT_EQ(log.lines(), QStringList({"QSettingsDefaultsStore: Could not write settings to " +
                                        confPath() + ": access error"}));

    // Once the folder can be made, the next write lands with the one that failed, and
    // nothing more is logged.
    ASSERT_TRUE(blocker.remove());
    store.setString("preferredDeviceName", "Zono X");
    EXPECT_EQ(log.lines().size(), 1);
    QFile file(confPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("autoSwitchToNewDevices=true\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("preferredDeviceName=Zono X\n")) << text.toStdString();
}
