// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program in a Sway session, against a stand-in Sway IPC server in this process: no
// X display, Qt's offscreen platform.
#include "stand_in_sway.h"
#include "veloquill_process.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>

namespace veloquill::test {
namespace {

TEST(VeloquillOnSway, AppliesStoredSpeedsSeesHotplugAndPutsEveryDeviceBackAtSigterm)
{
    StandInSway sway;
    sway.addDevice("Head Mouse", 4660, 171, 0.1);
    sway.addDevice("Trackball", 1, 2, -0.3, "flat");
    QTemporaryDir home;
    storeSettings(home.path(), {{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}},
                                {"10-20-Zono X-N/A", {0.25, 1.0, false}}});
    VeloquillProcess program(home.path(), {{"WAYLAND_DISPLAY", "wayland-9"},
                                           {"XDG_CURRENT_DESKTOP", "sway"},
                                           {"SWAYSOCK", sway.socketPath()},
                                           {"QT_QPA_PLATFORM", "offscreen"}});
    const auto holds = [&](const QString& id, double speed, const QString& profile) {
        return program.waitUntil([&] {
            return std::abs(sway.libinput(id, "accel_speed").toDouble() - speed) < 1e-6 &&
                   sway.libinput(id, "accel_profile") == profile;
        });
    };

    ASSERT_TRUE(holds("4660:171:Head_Mouse", libinputSpeedFor(0.75), "flat"));
    sway.addDevice("Zono X", 10, 20, 0.05);
    ASSERT_TRUE(holds("10:20:Zono_X", libinputSpeedFor(0.25), "adaptive"));
    EXPECT_TRUE(sway.ran.filter("1:2:Trackball").isEmpty()); // no record: never written

    // The stand-in answers the restore from this main loop.
    ASSERT_TRUE(program.quit());
    EXPECT_TRUE(holds("4660:171:Head_Mouse", 0.1, "adaptive"));
    EXPECT_TRUE(holds("10:20:Zono_X", 0.05, "adaptive"));
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

} // namespace
} // namespace veloquill::test
