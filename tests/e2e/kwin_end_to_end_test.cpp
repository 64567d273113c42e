// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program in a Plasma Wayland session, against a stand-in KWin on a private bus: no
// X display, Qt's offscreen platform.
#include "stand_in_kwin.h"
#include "veloquill_process.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QDBusVariant>
#include <QDir>
#include <QTemporaryDir>

#include <cmath>

namespace veloquill::test {
namespace {

// A Plasma Wayland session on the stand-in's bus.
QList<std::pair<QString, QString>> plasmaSession(const StandInKWin& kwin)
{
    return {{"WAYLAND_DISPLAY", "wayland-veloquill-test"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"XDG_CURRENT_DESKTOP", "KDE"},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"DBUS_SESSION_BUS_ADDRESS", kwin.busAddress()}};
}

// Twins (one name, vendor and product under two event nodes), present at start or arriving,
// each get the record and are each put back.
TEST(VeloquillOnPlasmaWayland, AppliesStoredSpeedsSwitchesToANewDeviceAndPutsEveryDeviceBack)
{
    StandInKWin kwin;
    ASSERT_NO_FATAL_FAILURE(kwin.startBus());
    ASSERT_NO_FATAL_FAILURE(kwin.start());
    kwin.addDevice("event3", "Head Mouse", 4660, 171, 0.1);
    kwin.addDevice("event4", "Trackball", 1, 2, -0.3, true);
    kwin.addDevice("event8", "Head Mouse", 4660, 171, 0.2);
    QTemporaryDir home;
    QSettingsDefaultsStore store = storeSettings(
        home.path(),
        {{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}}, {"10-20-Zono X-N/A", {0.25, 1.0, false}}},
        "4660-171-Head Mouse-N/A");
    store.setString(VeloquillPointerSettingsState::PreferredDeviceNameKey, "Zono X");
    store.setBoolean(VeloquillPointerSettingsState::AutoSwitchToNewDevicesKey, true);
    VeloquillProcess program(home.path(), plasmaSession(kwin));
    // The device holds this libinput speed and profile.
    const auto holds = [&](const QString& device, double speed, bool flat) {
        return program.waitUntil([&] {
            return std::abs(kwin.property(device, "pointerAcceleration").toDouble() - speed) <
                       1e-6 &&
                   kwin.property(device, "pointerAccelerationProfileFlat").toBool() == flat;
        });
    };

    // Speed 0.75 with acceleration off: gain(0.75) − 1 on the flat profile.
    ASSERT_TRUE(holds("event3", libinputSpeedFor(0.75), true));
    ASSERT_TRUE(holds("event8", libinputSpeedFor(0.75), true));
    // The records reach the devices as they arrive; the list is logged when the settings load.
    EXPECT_TRUE(program.waitForLine("  - Head Mouse (stableID: 4660-171-Head Mouse-N/A)"));
    EXPECT_TRUE(program.waitForLine("  - Trackball (stableID: 1-2-Trackball-N/A)"));
    kwin.addDevice("event5", "Zono X", 10, 20, 0.05);
    ASSERT_TRUE(holds("event5", libinputSpeedFor(0.25), false));
    kwin.addDevice("event6", "Zono X", 10, 20, -0.1);
    ASSERT_TRUE(holds("event6", libinputSpeedFor(0.25), false));
    // The Trackball has no record: it keeps its own speed and profile.
    EXPECT_TRUE(holds("event4", -0.3, true));

    // A second start hands over to the running one and ends; the first goes on.
    EXPECT_TRUE(VeloquillProcess(home.path(), plasmaSession(kwin)).exitedCleanly());
    EXPECT_EQ(program.process().state(), QProcess::Running);

    ASSERT_TRUE(program.quit());
    EXPECT_TRUE(holds("event3", 0.1, false));
    EXPECT_TRUE(holds("event4", -0.3, true));
    EXPECT_TRUE(holds("event5", 0.05, false));
    // KWin handed the later twin what it keeps for the kind, this program's: the kind's own
    // goes back.
    EXPECT_TRUE(holds("event6", 0.05, false));
    EXPECT_TRUE(holds("event8", 0.2, false));
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

// The panel's StatusNotifierWatcher, as much of it as Qt asks for: it records each item.
class Watcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& item) { items << item; }
};

// On Plasma the tray is a StatusNotifierItem on the session bus, whichever way Qt draws the
// windows (here through Xwayland, as Qt does without its Wayland platform).
TEST(VeloquillOnPlasmaWayland, TrayIsAStatusNotifierItemOfThePanel)
{
    StandInKWin kwin;
    ASSERT_NO_FATAL_FAILURE(kwin.startBus());
    ASSERT_NO_FATAL_FAILURE(kwin.start());
    XvfbServer xwayland;
    ASSERT_TRUE(xwayland.isRunning());
    QDBusConnection bus = QDBusConnection::connectToBus(kwin.busAddress(), "panel");
    Watcher watcher;
    ASSERT_TRUE(
        bus.registerObject("/StatusNotifierWatcher", &watcher,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));

    QTemporaryDir home;
    auto session = plasmaSession(kwin);
    session.append({{"DISPLAY", xwayland.displayName()}, {"QT_QPA_PLATFORM", "xcb"}});
    VeloquillProcess program(home.path(), session);
    EXPECT_TRUE(runMainLoopUntil([&] { return !watcher.items.isEmpty(); }, 15000));
    const QDBusMessage title =
        bus.call(QDBusMessage::createMethodCall(watcher.items.value(0), "/StatusNotifierItem",
                                                "org.freedesktop.DBus.Properties", "Get")
                 << "org.kde.StatusNotifierItem"
                 << "Title");
    EXPECT_EQ(title.arguments().value(0).value<QDBusVariant>().variant().toString(), "Veloquill");
    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForEnd());
    QDBusConnection::disconnectFromBus("panel");
}

} // namespace
} // namespace veloquill::test

#include "kwin_end_to_end_test.moc"
