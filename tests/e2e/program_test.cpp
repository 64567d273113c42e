// The real program against its own Xvfb, without a desktop: how it starts and how it ends.
#include "settings/device_specific_settings.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/required_programs.h"
#include "veloquill_process.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>

using namespace veloquill;
using namespace veloquill::test;

TEST(VeloquillProgram, WithoutADisplaySaysWhyInOneLineAndFails)
{
    QTemporaryDir home;
    VeloquillProcess program(QString(), home.path());
    ASSERT_TRUE(program.waitForEnd());
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program.process().exitCode(), 0);
    const QString errors = QString::fromUtf8(program.process().readAllStandardError()).trimmed();
    EXPECT_TRUE(errors.startsWith("veloquill: cannot control pointer devices: no X display"));
    EXPECT_FALSE(errors.contains('\n')) << errors.toStdString();
}

class VeloquillProgramEndedBy : public ::testing::TestWithParam<int>
{};

TEST_P(VeloquillProgramEndedBy, AppliesTheStoredRecordAtStartAndPutsEveryTouchedPropertyBack)
{
    ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}, {"xinput", "xinput"}}));
    XvfbServer server;
    XDriver driver(server.displayName());
    const int mouse = driver.deviceId("Xvfb mouse");
    const auto before = touchedProperties(server.displayName(), mouse);
    QTemporaryDir home;
    QSettingsDefaultsStore store(home.path() + "/Veloquill/Veloquill.conf");
    store.setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                  *encodeDeviceSettingsTable({{"0-0-Xvfb mouse-N/A", {0.75, 1.0, false}}}).data);
    store.setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, "0-0-Xvfb mouse-N/A");

    VeloquillProcess program(server.displayName(), home.path());
    // Speed 0.75 is resolution 52.747…: the matrix scale 400 / 52.747… = 7.583333.
    const auto scaleApplied = [&] {
        const QStringList matrix =
            xinputListProps(server.displayName(), mouse)["Coordinate Transformation Matrix"];
        return std::abs(matrix.value(0).toDouble() - 7.583333) < 1e-4 &&
               std::abs(matrix.value(4).toDouble() - 7.583333) < 1e-4;
    };
    ASSERT_TRUE(runMainLoopUntil(scaleApplied, 10000)) << program.tail();
    ASSERT_TRUE(program.waitForLine(kStarted));
    EXPECT_TRUE(program.output().filter("XTEST pointer").isEmpty()) << "virtual devices listed";

    // Whatever else changed the touched properties since, the start values come back.
    driver.setFloatProperty(mouse, "Coordinate Transformation Matrix", {2, 0, 0, 0, 2, 0, 0, 0, 1});
    driver.setFloatProperty(mouse, "Device Accel Velocity Scaling", {40});
    driver.setIntegerProperty(mouse, "Device Accel Profile", 32, {-1});
    program.signal(GetParam());
    ASSERT_TRUE(program.exitedCleanly()) << program.tail();
    EXPECT_EQ(touchedProperties(server.displayName(), mouse), before);
}

INSTANTIATE_TEST_SUITE_P(Signals, VeloquillProgramEndedBy,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(VeloquillProgram, ListsVirtualDevicesOnlyWhenAskedAndEndsCleanlyWhenItsDisplayGoes)
{
    ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}}));
    XvfbServer server;
    QTemporaryDir home;
    VeloquillProcess program(server.displayName(), home.path(), {"--include-virtual-devices"});
    ASSERT_TRUE(program.waitForLine(kStarted)) << program.tail();
    EXPECT_FALSE(program.output().filter("Virtual core XTEST pointer").isEmpty());

    server.stop();
    // Whichever of the program and Qt notices first ends it, through the restore, not a crash.
    ASSERT_TRUE(program.waitForEnd());
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(program.output().filter("Restoring pointer settings").isEmpty()) << program.tail();
}
