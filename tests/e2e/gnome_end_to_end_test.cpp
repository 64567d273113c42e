// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program in a GNOME Wayland session: devices described to libudev by umockdev (this
// process runs under umockdev-wrapper, and the program inherits its preload and testbed), and
// GNOME's settings on GSettings' keyfile backend in a config folder of the test's.
#include "device/libinput_mapping.h"
#include "gnome_test_bed.h"
#include "settings/pointer_speed_mapping.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/fixed_point.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>

namespace veloquill::test {
namespace {

const gnome::SettingKey kMouseSpeed{gnome::Schema::Mouse, gnome::Key::Speed};
const gnome::SettingKey kMouseProfile{gnome::Schema::Mouse, gnome::Key::AccelProfile};
const gnome::SettingKey kTouchpadSpeed{gnome::Schema::Touchpad, gnome::Key::Speed};

// What the backend writes for a speed of the slider: gain − 1.
double gnomeSpeedFor(double sliderSpeed)
{
    const auto fixed = toFixedPoint(PointerSpeedMapping::forSpeed(sliderSpeed).systemResolution);
    return *libinput::speedForResolution(*fixed);
}

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
    QSettingsDefaultsStore store(home.path() + "/Veloquill/Veloquill.conf");
    store.setData(
        VeloquillPointerSettingsState::DeviceSettingsKey,
        *encodeDeviceSettingsTable({{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}}}).data);
    store.setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, "4660-171-Head Mouse-N/A");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("WAYLAND_DISPLAY", "wayland-veloquill-test");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.insert("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
    environment.insert("GSETTINGS_BACKEND", "keyfile");
    environment.insert("XDG_CONFIG_HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", home.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(VELOQUILL_BINARY, {});
    QByteArray output;
    const auto tail = [&] { return (output += program.readAll()).right(3000).toStdString(); };
    const auto holds = [&](QVariant speed, QVariant profile) {
        return runMainLoopUntil(
            [&] {
                const QVariant heldSpeed = keyfileValue(home.path(), kMouseSpeed);
                return heldSpeed.isValid() == speed.isValid() &&
                       std::abs(heldSpeed.toDouble() - speed.toDouble()) < 1e-12 &&
                       keyfileValue(home.path(), kMouseProfile) == profile;
            },
            15000);
    };

    // Speed 0.75 with acceleration off: gain(0.75) − 1 on the flat profile.
    ASSERT_TRUE(holds(gnomeSpeedFor(0.75), "'flat'")) << tail();
    EXPECT_FALSE(keyfileValue(home.path(), kTouchpadSpeed).isValid()) << tail();
    bed.unplug(headMouse);
    EXPECT_TRUE(holds(-0.25, {})) << tail();
    bed.add("3", "Head Mouse", 4660, 171, "ID_INPUT_MOUSE");
    EXPECT_TRUE(holds(gnomeSpeedFor(0.75), "'flat'")) << tail();

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(15000)) << tail();
    EXPECT_EQ(program.exitCode(), 0) << tail();
    EXPECT_TRUE(holds(-0.25, {})) << tail();
    EXPECT_FALSE(keyfileValue(home.path(), kTouchpadSpeed).isValid()) << tail();
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

} // namespace
} // namespace veloquill::test
