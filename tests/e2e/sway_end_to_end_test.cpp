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

#include <csignal>

namespace veloquill::test {
namespace {

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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : {std::pair<QString, QString>{"WAYLAND_DISPLAY", "wayland-9"},
                                      {"XDG_CURRENT_DESKTOP", "sway"},
                                      {"SWAYSOCK", sway.socketPath()},
                                      {"QT_QPA_PLATFORM", "offscreen"},
                                      {"XDG_CONFIG_HOME", home.path()},
                                      {"XDG_RUNTIME_DIR", home.path()}})
        environment.insert(name, value);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(VELOQUILL_BINARY, {});
    const auto tail = [&] { return program.readAll().right(3000).toStdString(); };
    // What the backend writes for a speed of the slider (gain − 1), or the speed itself.
    const auto holds = [&](const QString& id, double speed, const QString& profile,
                           bool slider = false) {
        const auto fixed = toFixedPoint(PointerSpeedMapping::forSpeed(speed).systemResolution);
        const double expected = slider ? *libinput::speedForResolution(*fixed) : speed;
        return runMainLoopUntil(
            [&] {
                return std::abs(sway.libinput(id, "accel_speed").toDouble() - expected) < 1e-6 &&
                       sway.libinput(id, "accel_profile") == profile;
            },
            15000);
    };

    ASSERT_TRUE(holds("4660:171:Head_Mouse", 0.75, "flat", true)) << tail();
    sway.addDevice("Zono X", 10, 20, 0.05);
    ASSERT_TRUE(holds("10:20:Zono_X", 0.25, "adaptive", true)) << tail();
    EXPECT_TRUE(sway.ran.filter("1:2:Trackball").isEmpty()); // no record: never written

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    // The stand-in answers the restore from this main loop.
    ASSERT_TRUE(runMainLoopUntil([&] { return program.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(program.exitCode(), 0) << tail();
    EXPECT_TRUE(holds("4660:171:Head_Mouse", 0.1, "adaptive"));
    EXPECT_TRUE(holds("10:20:Zono_X", 0.05, "adaptive"));
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

} // namespace
} // namespace veloquill::test
