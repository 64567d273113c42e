// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program in a Sway session, against a stand-in Sway IPC server in this process: no
// X display, Qt's offscreen platform.
#include "device/libinput_mapping.h"
#include "settings/pointer_speed_mapping.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "stand_in_sway.h"
#include "support/fixed_point.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace veloquill::test {
namespace {

double swaySpeedFor(double sliderSpeed)
{
    const auto fixed = toFixedPoint(PointerSpeedMapping::forSpeed(sliderSpeed).systemResolution);
    return *libinput::speedForResolution(*fixed);
}

TEST(VeloquillOnSway, AppliesStoredSpeedsSeesHotplugAndPutsEveryDeviceBackAtSigterm)
{
    StandInSway sway;
    sway.addDevice("Head Mouse", 4660, 171, 0.1);
    sway.addDevice("Trackball", 1, 2, -0.3, "flat");
    QTemporaryDir home;
    QSettingsDefaultsStore store(home.path() + "/Veloquill/Veloquill.conf");
    store.setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                  *encodeDeviceSettingsTable({{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}},
                                              {"10-20-Zono X-N/A", {0.25, 1.0, false}}})
                       .data);
    store.setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, "4660-171-Head Mouse-N/A");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("WAYLAND_DISPLAY", "wayland-veloquill-test");
    environment.insert("XDG_CURRENT_DESKTOP", "sway");
    environment.insert("SWAYSOCK", sway.socketPath());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", home.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(VELOQUILL_BINARY, {});
    QByteArray output;
    const auto tail = [&] { return (output += program.readAll()).right(3000).toStdString(); };
    const auto holds = [&](const QString& id, double speed, const QString& profile) {
        return runMainLoopUntil(
            [&] {
                const QJsonObject libinput = sway.device(id)["libinput"].toObject();
                return std::abs(libinput["accel_speed"].toDouble() - speed) < 1e-6 &&
                       libinput["accel_profile"].toString() == profile;
            },
            15000);
    };

    ASSERT_TRUE(holds("4660:171:Head_Mouse", swaySpeedFor(0.75), "flat")) << tail();
    sway.addDevice("Zono X", 10, 20, 0.05);
    ASSERT_TRUE(holds("10:20:Zono_X", swaySpeedFor(0.25), "adaptive")) << tail();
    // No record: the Trackball is never written.
    EXPECT_TRUE(sway.ran().filter("1:2:Trackball").isEmpty()) << tail();

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    // The stand-in answers the restore from this main loop.
    ASSERT_TRUE(runMainLoopUntil([&] { return program.state() == QProcess::NotRunning; }, 15000))
        << tail();
    EXPECT_EQ(program.exitCode(), 0) << tail();
    EXPECT_TRUE(holds("4660:171:Head_Mouse", 0.1, "adaptive"));
    EXPECT_TRUE(holds("10:20:Zono_X", 0.05, "adaptive"));
    EXPECT_TRUE(holds("1:2:Trackball", -0.3, "flat"));
    EXPECT_TRUE(sway.foreign().isEmpty());
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

} // namespace
} // namespace veloquill::test
