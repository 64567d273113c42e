// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program in a Plasma Wayland session, against a stand-in KWin on a private bus: no
// X display, Qt's offscreen platform.
#include "device/libinput_mapping.h"
#include "settings/pointer_speed_mapping.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "stand_in_kwin.h"
#include "support/fixed_point.h"
#include "support/main_loop.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace veloquill::test {
namespace {

const QString kSpeed = "pointerAcceleration", kFlat = "pointerAccelerationProfileFlat";

// What the backend writes for a speed of the slider: gain − 1.
double kwinSpeedFor(double sliderSpeed)
{
    const auto fixed = toFixedPoint(PointerSpeedMapping::forSpeed(sliderSpeed).systemResolution);
    return *libinput::speedForResolution(*fixed);
}

// A Plasma Wayland session on the stand-in's bus, the settings kept in `home`.
QProcessEnvironment plasmaSession(const StandInKWin& kwin, const QTemporaryDir& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("WAYLAND_DISPLAY", "wayland-veloquill-test");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.insert("XDG_CURRENT_DESKTOP", "KDE");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", kwin.busAddress());
    environment.insert("XDG_CONFIG_HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", home.path());
    return environment;
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
    QSettingsDefaultsStore store(home.path() + "/Veloquill/Veloquill.conf");
    store.setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                  *encodeDeviceSettingsTable({{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}},
                                              {"10-20-Zono X-N/A", {0.25, 1.0, false}}})
                       .data);
    store.setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, "4660-171-Head Mouse-N/A");
    store.setString(VeloquillPointerSettingsState::PreferredDeviceNameKey, "Zono X");
    store.setBoolean(VeloquillPointerSettingsState::AutoSwitchToNewDevicesKey, true);

    const QProcessEnvironment environment = plasmaSession(kwin, home);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(VELOQUILL_BINARY, {});
    QByteArray output;
    const auto read = [&]() -> const QByteArray& { return output += program.readAll(); };
    const auto tail = [&] { return read().right(3000).toStdString(); };
    const auto holds = [&](const QString& device, double speed, bool flat) {
        return runMainLoopUntil(
            [&] {
                return kwin.property(device, kSpeed).toDouble() == speed &&
                       kwin.property(device, kFlat).toBool() == flat;
            },
            15000);
    };

    // Speed 0.75 with acceleration off: gain(0.75) − 1 on the flat profile.
    ASSERT_TRUE(holds("event3", kwinSpeedFor(0.75), true)) << tail();
    ASSERT_TRUE(holds("event8", kwinSpeedFor(0.75), true)) << tail();
    // The records reach the devices as they arrive; the list is logged when the settings load.
    const auto logged = [&](const QByteArray& line) {
        return runMainLoopUntil([&] { return read().contains(line); }, 15000);
    };
    EXPECT_TRUE(logged("  - Head Mouse (stableID: 4660-171-Head Mouse-N/A)")) << tail();
    EXPECT_TRUE(logged("  - Trackball (stableID: 1-2-Trackball-N/A)")) << tail();
    kwin.addDevice("event5", "Zono X", 10, 20, 0.05);
    ASSERT_TRUE(holds("event5", kwinSpeedFor(0.25), false)) << tail();
    kwin.addDevice("event6", "Zono X", 10, 20, -0.1);
    ASSERT_TRUE(holds("event6", kwinSpeedFor(0.25), false)) << tail();
    // The Trackball has no record: it keeps its own speed and profile.
    EXPECT_EQ(kwin.property("event4", kSpeed).toDouble(), -0.3) << tail();
    EXPECT_TRUE(kwin.property("event4", kFlat).toBool()) << tail();

    // A second start hands over to the running one and ends; the first goes on.
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(VELOQUILL_BINARY, {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(program.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(15000)) << tail();
    EXPECT_EQ(program.exitCode(), 0) << tail();
    EXPECT_TRUE(holds("event3", 0.1, false));
    EXPECT_TRUE(holds("event4", -0.3, true));
    EXPECT_TRUE(holds("event5", 0.05, false));
    // KWin handed the later twin what it keeps for the kind, this program's: the kind's own
    // goes back.
    EXPECT_TRUE(holds("event6", 0.05, false)) << tail();
    EXPECT_TRUE(holds("event8", 0.2, false));
    EXPECT_TRUE(QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty());
}

TEST(VeloquillOnPlasmaWayland, RestoreThatKWinRefusesKeepsTheJournalAndEndsWithStatusOne)
{
    StandInKWin kwin;
    ASSERT_NO_FATAL_FAILURE(kwin.startBus());
    ASSERT_NO_FATAL_FAILURE(kwin.start());
    kwin.addDevice("event3", "Head Mouse", 4660, 171, 0.1);
    QTemporaryDir home;
    QSettingsDefaultsStore store(home.path() + "/Veloquill/Veloquill.conf");
    store.setData(
        VeloquillPointerSettingsState::DeviceSettingsKey,
        *encodeDeviceSettingsTable({{"4660-171-Head Mouse-N/A", {0.75, 1.0, true}}}).data);
    store.setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, "4660-171-Head Mouse-N/A");
    QProcess program;
    program.setProcessEnvironment(plasmaSession(kwin, home));
    program.start(VELOQUILL_BINARY, {});
    ASSERT_TRUE(runMainLoopUntil(
        [&] { return kwin.property("event3", kSpeed).toDouble() == kwinSpeedFor(0.75); }, 15000));
    kwin.setBehaviour(0, "org.kde.KWin.Error.Refused");
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(15000));
    const QByteArray output = program.readAll();
    EXPECT_EQ(program.exitCode(), 1) << output.right(2000).toStdString();
    EXPECT_TRUE(output.contains("Could not restore 1 devices: their event system refused the "
                                "writes."));
    EXPECT_EQ(QDir(home.path()).entryList({"veloquill-restore-*.json"}).size(), 1);
}

// The panel's StatusNotifierWatcher, as much of it as Qt asks for: it records each item.
class Watcher : public QDBusVirtualObject
{
public:
    QString introspect(const QString&) const override
    {
        return R"(<interface name="org.kde.StatusNotifierWatcher">)"
               R"(<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>)"
               R"(<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>)"
               R"(<property name="ProtocolVersion" type="i" access="read"/></interface>)";
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        if (message.member() == "Introspect")
            return bus.send(message.createReply("<node>" + introspect({}) + "</node>"));
        if (message.member() == "RegisterStatusNotifierItem")
            items << message.arguments().value(0).toString();
        const QVariant value =
            message.member() == "Get"
                ? QVariant::fromValue(QDBusVariant(message.arguments().value(1) == "ProtocolVersion"
                                                       ? QVariant(0)
                                                       : QVariant(true)))
                : QVariant();
        return bus.send(value.isValid() ? message.createReply(value) : message.createReply());
    }
    QStringList items;
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
    ASSERT_TRUE(bus.registerVirtualObject("/StatusNotifierWatcher", &watcher));
    ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));

    QTemporaryDir home;
    QProcessEnvironment environment = plasmaSession(kwin, home);
    environment.insert("DISPLAY", xwayland.displayName());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(VELOQUILL_BINARY, {});
    EXPECT_TRUE(runMainLoopUntil([&] { return !watcher.items.isEmpty(); }, 15000));
    const QDBusMessage title =
        bus.call(QDBusMessage::createMethodCall(watcher.items.value(0), "/StatusNotifierItem",
                                                "org.freedesktop.DBus.Properties", "Get")
                 << "org.kde.StatusNotifierItem"
                 << "Title");
    EXPECT_EQ(title.arguments().value(0).value<QDBusVariant>().variant().toString(), "Veloquill");
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(15000));
    QDBusConnection::disconnectFromBus("panel");
}

} // namespace
} // namespace veloquill::test
