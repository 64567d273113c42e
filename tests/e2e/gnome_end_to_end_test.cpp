// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program in a GNOME Wayland session: devices described to libudev by umockdev (this
// process runs under umockdev-wrapper, and the program inherits its preload and testbed), and
// GNOME's settings on GSettings' keyfile backend in a config folder of the test's.
#include "e2e/veloquill_process.h"
#include "gnome_test_bed.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace veloquill::test {
namespace {

const gnome::SettingKey kMouseSpeed{gnome::Schema::Mouse, gnome::Key::Speed};
const gnome::SettingKey kMouseProfile{gnome::Schema::Mouse, gnome::Key::AccelProfile};
const gnome::SettingKey kTouchpadSpeed{gnome::Schema::Touchpad, gnome::Key::Speed};

TEST(VeloquillOnGnomeWayland, TheSelectedDevicesRecordHoldsWhileItIsConnectedAndTheUsersOtherwise)
{
    PointerTestBed bed;
    if (!bed.active())
        GTEST_SKIP() << "needs umockdev's preload: run under umockdev-wrapper";
    const QByteArray headMouse = bed.add("3", "Head Mouse", 4660, 171, "ID_INPUT_MOUSE");
    bed.add("4", "Touchpad", 2, 7, "ID_INPUT_TOUCHPAD");
    QTemporaryDir home;
    // The user's own mouse speed; no profile of the user's.
    QDir(home.path()).mkpath("glib-2.0/settings");
    QFile keyfile(home.filePath("glib-2.0/settings/keyfile"));
    ASSERT_TRUE(keyfile.open(QIODevice::WriteOnly));
    keyfile.write("[org/gnome/desktop/peripherals/mouse]\nspeed=-0.25\n");
    keyfile.close();
    storeSettings(home.path(), {{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}}},
                  "4660-171-Head Mouse-N/A");
    VeloquillProcess program(home.path(),
                             {{"WAYLAND_DISPLAY", "wayland-veloquill-test"},
                              {"XDG_SESSION_TYPE", "wayland"},
                              {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"},
                              {"QT_QPA_PLATFORM", "offscreen"},
                              {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus")},
                              {"GSETTINGS_BACKEND", "keyfile"}});
    const auto holds = [&](QVariant speed, QVariant profile) {
        return program.waitUntil([&] {
            const QVariant heldSpeed = keyfileValue(home.path(), kMouseSpeed);
            return heldSpeed.isValid() == speed.isValid() &&
                   std::abs(heldSpeed.toDouble() - speed.toDouble()) < 1e-6 &&
                   keyfileValue(home.path(), kMouseProfile) == profile;
        });
    };

    // Speed 0.75 with acceleration off: gain(0.75) − 1 on the flat profile.
    ASSERT_TRUE(holds(libinputSpeedFor(0.75), "'flat'"));
    EXPECT_FALSE(keyfileValue(home.path(), kTouchpadSpeed).isValid()) << program.tail();
    bed.unplug(headMouse);
    EXPECT_TRUE(holds(-0.25, {}));
    bed.add("3", "Head Mouse", 4660, 171, "ID_INPUT_MOUSE");
    EXPECT_TRUE(holds(libinputSpeedFor(0.75), "'flat'"));

    ASSERT_TRUE(program.quit());
    EXPECT_TRUE(holds(-0.25, {}));
    EXPECT_FALSE(keyfileValue(home.path(), kTouchpadSpeed).isValid()) << program.tail();
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

} // namespace
} // namespace veloquill::test
