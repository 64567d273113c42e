// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The KWin backend against a stand-in KWin on a private bus: which devices it offers and how
// they come and go, how speed and acceleration map onto KWin's settings, what restore puts
// back, and how it takes KWin restarting and D-Bus errors.
#include "stand_in_kwin.h"

#include "device/kwin/kwin_backend.h"
#include "device/pointer_device_manager.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>

namespace veloquill::test {
namespace {

using namespace std::chrono_literals;

const QString kSpeed = "pointerAcceleration";
const QString kFlat = "pointerAccelerationProfileFlat";

class KWinBackend : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(kwin.startBus());
        ASSERT_NO_FATAL_FAILURE(kwin.start());
    }

    // A manager on a new system, as the program makes one at start.
    std::unique_ptr<PointerDeviceManager> startManager(std::chrono::milliseconds limit = 5s)
    {
        system = std::make_shared<veloquill::KWinBackend>(
            KWinBackendOptions{kwin.busAddress(), journal.path(), limit});
        auto manager = std::make_unique<PointerDeviceManager>(system);
        manager->startObservation();
        return manager;
    }

    // Waits until KWin has listed this many of them.
    void startClient(std::size_t devices)
    {
        system = std::make_shared<veloquill::KWinBackend>(
            KWinBackendOptions{kwin.busAddress(), journal.path()});
        client = system->watchDevices();
        client->start();
        ASSERT_TRUE(runMainLoopUntil([&] { return client->devices()->size() == devices; }));
    }

    static double gain(const BackendDeviceRef& s) { return s->settings().gain.value_or(-1); }

    // Reads answer at once from what KWin last said; its answers arrive on the main loop.
    static bool gainSoon(const BackendDeviceRef& service, double value)
    {
        return runMainLoopUntil([&] { return gain(service) == value; });
    }
    static bool accelerationOffSoon(const BackendDeviceRef& service, bool off)
    {
        return runMainLoopUntil([&] { return service->settings().accelerationOff == off; });
    }

    // In KWin's order.
    BackendDeviceRef service(std::size_t index) { return client->devices()->at(index); }

    StandInKWin kwin;
    QTemporaryDir journal;
    std::shared_ptr<veloquill::KWinBackend> system;
    std::unique_ptr<DeviceWatch> client;
};

TEST_F(KWinBackend, ListsPointersWithAccelerationSettingsByTheirIdentityAndDefaults)
{
    kwin.addDevice("event3", "Zono X", 0x1234, 0xab);
    kwin.addDevice("event4", "Keys", 1, 2, 0, false, false);
    kwin.addDevice("event5", "Pen", 3, 4, 0, false, true, false);
    kwin.addDevice("event6", "Trackball", 5, 6, 0, false, true, true, -0.5, true);
    ASSERT_NO_FATAL_FAILURE(startClient(2));
    EXPECT_EQ(service(1)->deviceIdentity().name, "Trackball");
    EXPECT_EQ(service(0)->defaultSettings().acceleration, 1.0); // KWin's: adaptive
    EXPECT_TRUE(service(1)->defaultSettings().accelerationOff);
    EXPECT_EQ(service(1)->defaultSettings().gain, 0.5); // speed -0.5
    EXPECT_TRUE(system->canControlPointerDevices());
    EXPECT_TRUE(veloquill::KWinBackend::managerAnswers(kwin.busAddress()));
    EXPECT_FALSE(system->supportsAccelerationAmount());
}

TEST_F(KWinBackend, SpeedIsPointerAccelerationGainMinusOneAndAccelerationTheProfileBothWays)
{
    kwin.addDevice("event3", "Zono X", 1, 2);
    ASSERT_NO_FATAL_FAILURE(startClient(1));
    const auto zono = service(0);
    EXPECT_EQ(zono->curveModel()->kind, PointerCurveModel::Kind::Libinput);
    // The gain written, the speed KWin gets, the gain read back.
    const std::tuple<double, double, double> rows[] = {
        {1.0, 0.0, 1.0},
        {0.25, -0.75, 0.25},
        {1.5, 0.5, 1.5},
        {5.0, 1.0, 2.0}, // beyond libinput's range: clamped
    };
    for (const auto& [written, speed, readBack] : rows) {
        SCOPED_TRACE(written);
        zono->setGain(written);
        EXPECT_TRUE(gainSoon(zono, readBack));
        EXPECT_DOUBLE_EQ(kwin.property("event3", kSpeed).toDouble(), speed);
    }
    kwin.setProperty("event3", kSpeed, -0.5); // System Settings, say: the next read asks
    EXPECT_TRUE(gainSoon(zono, 0.5));

    // Acceleration off is the flat profile; any amount is the adaptive one, read as 1.
    zono->setAccelerationOff();
    EXPECT_TRUE(accelerationOffSoon(zono, true));
    EXPECT_TRUE(kwin.property("event3", kFlat).toBool());
    zono->setAcceleration(5.75);
    EXPECT_TRUE(accelerationOffSoon(zono, false));
    EXPECT_FALSE(kwin.property("event3", kFlat).toBool());
    EXPECT_EQ(zono->settings().acceleration, 1.0);

    kwin.setBehaviour(2000); // a slow KWin never holds up the main loop
    zono->setGain(2.0);
    EXPECT_EQ(gain(zono), 0.5); // not taken yet
    EXPECT_TRUE(gainSoon(zono, 2.0));
}

// Twins (event3 and event5: one vendor, product and name) have a journal entry each.
TEST_F(KWinBackend, RestoreAfterACrashGivesBackFirstSeenValuesOtherProgramsHaveNotChanged)
{
    kwin.addDevice("event3", "Zono X", 1, 2, 0.3, true);
    kwin.addDevice("event5", "Zono X", 1, 2, -0.6);
    ASSERT_NO_FATAL_FAILURE(startClient(2));
    service(0)->setGain(1.0);
    service(0)->setAcceleration(1.0);
    service(1)->setGain(1.0);
    ASSERT_TRUE(accelerationOffSoon(service(0), false));
    ASSERT_TRUE(gainSoon(service(1), 1.0));
    client.reset(); // a crash: the originals are only in the journal now
    system.reset();
    kwin.setProperty("event3", kSpeed, -0.5); // System Settings, say: the profile still goes back
    const auto manager = startManager();
    LogCapture log;
    // At once, as --restore does: the restore waits for KWin's list.
    EXPECT_TRUE(manager->restoreInitialPointerSettings());
    EXPECT_DOUBLE_EQ(kwin.property("event3", kSpeed).toDouble(), -0.5);
    EXPECT_TRUE(kwin.property("event3", kFlat).toBool());
    EXPECT_TRUE(
        log.lines().contains("KWinHidEventSystem: KWin device event3 \"Zono X\" (service "
                             "1) keeps what another program set since: pointerAcceleration"));
    EXPECT_DOUBLE_EQ(kwin.property("event5", kSpeed).toDouble(), -0.6);
}

TEST_F(KWinBackend, KWinRestartingMakesDevicesLeaveAndComeBackWithTheirOriginals)
{
    kwin.addDevice("event3", "Zono X", 1, 2, 0.3);
    ASSERT_NO_FATAL_FAILURE(startClient(1));
    const auto before = service(0);
    before->setGain(1.0);
    ASSERT_TRUE(gainSoon(before, 1.0)); // taken
    int removals = 0;
    const auto count = [&](const BackendDeviceRef&) { ++removals; };
    const auto registration = before->onRemoved(count);
    std::vector<BackendDeviceRef> arrivals;
    const auto arrival = client->onDeviceAdded([&](const auto& s) { arrivals.push_back(s); });
    kwin.stop();
    ASSERT_TRUE(runMainLoopUntil([&] { return removals == 1; }));
    EXPECT_TRUE(client->devices()->empty());
    EXPECT_EQ(before->restoreFirstSeen(), RestoreOutcome::Unreachable);
    EXPECT_EQ(system->restoreUnlisted(), 1u);   // no success while KWin is gone: the entry stays
    const auto late = before->onRemoved(count); // after it left: called, later
    ASSERT_TRUE(runMainLoopUntil([&] { return removals == 2; }));
    ASSERT_NO_FATAL_FAILURE(kwin.start()); // it reads back the speed this program set
    ASSERT_TRUE(runMainLoopUntil([&] { return !arrivals.empty(); }));
    EXPECT_NE(arrivals.front(), before);
    EXPECT_EQ(arrivals.front()->restoreFirstSeen(), RestoreOutcome::Restored);
    EXPECT_DOUBLE_EQ(kwin.property("event3", kSpeed).toDouble(), 0.3);
}

// KWin gives a device plugged in again what this program set for its vendor, product and name,
// under any node: its entry stays until its originals are back, in this run or the next.
TEST_F(KWinBackend, DeviceAbsentAtQuitKeepsItsOriginalsUntilItIsSeenAgain)
{
    const QString path = journal.filePath("veloquill-restore-kwin.json");
    for (const bool nextRun : {false, true}) {
        SCOPED_TRACE(nextRun ? "next run" : "same run");
        kwin.addDevice("event3", "Zono X", 1, 2, 0.3);
        kwin.addDevice("event4", "Zono X", 1, 3, 0.1); // another product of the same name
        auto manager = startManager();
        ASSERT_TRUE(runMainLoopUntil([&] { return manager->devices().size() == 2; }));
        for (const auto& device : manager->devices())
            device->setPointerResolution(100);
        ASSERT_TRUE(runMainLoopUntil([&] { return kwin.property("event4", kSpeed) != 0.1; }));
        kwin.removeDevice("event3");
        ASSERT_TRUE(runMainLoopUntil([&] { return manager->devices().size() == 1; }));
        LogCapture log;
        EXPECT_FALSE(manager->restoreInitialPointerSettings());
        EXPECT_TRUE(log.lines().contains("KWinHidEventSystem: 1 devices are not connected; their "
                                         "originals stay in " +
                                         path + " and go back when they are seen again"));
        EXPECT_DOUBLE_EQ(kwin.property("event4", kSpeed).toDouble(), 0.1);
        if (nextRun) {
            manager.reset();
            manager = startManager();
        }
        kwin.addDevice("event9", "Zono X", 1, 2, 0.3);
        ASSERT_TRUE(runMainLoopUntil([&] { return manager->devices().size() == 2; }));
        EXPECT_NE(kwin.property("event9", kSpeed).toDouble(), 0.3); // this program's speed
        EXPECT_TRUE(manager->restoreInitialPointerSettings());
        EXPECT_DOUBLE_EQ(kwin.property("event9", kSpeed).toDouble(), 0.3);
        EXPECT_FALSE(QFile::exists(path));
        for (const char* device : {"event4", "event9"})
            kwin.removeDevice(device);
    }
}

// A bus allowing each connection fewer calls awaiting answers than the backend sends at once:
// some are refused for limits and asked again, and every one of 202 devices is listed.
class KWinBackendOnATightBus : public KWinBackend
{
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(kwin.startBus(8));
        ASSERT_NO_FATAL_FAILURE(kwin.start());
    }
};

TEST_F(KWinBackendOnATightBus, ListsEveryDevice)
{
    for (int device = 0; device < 202; ++device)
        kwin.addDevice(QString("event%1").arg(device), QString("Ball %1").arg(device), 1, device);
    kwin.setBehaviour(30); // every listing call is on its way at once
    LogCapture log;
    ASSERT_NO_FATAL_FAILURE(startClient(202));
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join('\n').toStdString();
}

// A restore KWin does not confirm in time, or refuses (its error's text escaped), keeps the
// journal and fails.
TEST_F(KWinBackend, RestoreThatKWinDoesNotConfirmKeepsTheJournalAndFails)
{
    const std::tuple<int, QString, QString> rows[] = {
        {2000, "", "did not confirm the writes in time."},
        {0, "org.kde.KWin.Error.Refused", "refused the writes."},
    };
    for (const auto& [delay, refusal, reason] : rows) {
        SCOPED_TRACE(reason.toStdString());
        kwin.addDevice("event3", "Zono X", 1, 2, 0.3);
        const auto manager = startManager(300ms);
        ASSERT_TRUE(runMainLoopUntil([&] { return manager->devices().size() == 1; }));
        manager->devices().front()->setPointerResolution(100);
        ASSERT_TRUE(runMainLoopUntil([&] { return kwin.property("event3", kSpeed) != 0.3; }));
        kwin.setBehaviour(delay, refusal);
        LogCapture log;
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(manager->restoreInitialPointerSettings());
        EXPECT_LT(clock.elapsed(), 1500);
        EXPECT_TRUE(log.lines().contains(
            "[PointerDeviceManager] Could not restore 1 devices: their event system " + reason));
        EXPECT_EQ(log.lines().contains(
                      "KWinHidEventSystem: KWin refused Set pointerAcceleration of event3: "
                      "org.kde.KWin.Error.Refused (Refused\\npointerAcceleration)"),
                  !refusal.isEmpty());
        EXPECT_FALSE(QDir(journal.path()).isEmpty());
        kwin.setBehaviour(0);
    }
}

// The one scenario that pins the backend's own log lines.
TEST_F(KWinBackend, DBusErrorsAreOneLineEachAndNeverFatal)
{
    LogCapture log;
    kwin.addDevice("event3", "Zono\nX", 1, 2);
    ASSERT_NO_FATAL_FAILURE(startClient(1));
    const auto zono = service(0);
    kwin.announceAdded("event9"); // announced, but no such device
    ASSERT_TRUE(runMainLoopUntil([&] { return !log.lines().isEmpty(); }));
    zono->settings();
    kwin.removeDevice("event3", false); // gone between the Get and the Set
    zono->setGain(1.0);
    ASSERT_TRUE(runMainLoopUntil([&] { return log.lines().size() == 2; }));
    zono->setGain(0);
    kwin.stop();
    ASSERT_TRUE(runMainLoopUntil([&] { return !system->canControlPointerDevices(); }));
    system->canControlPointerDevices();
    EXPECT_FALSE(veloquill::KWinBackend::managerAnswers(kwin.busAddress()));
    const QString prefix = "KWinHidEventSystem: ";
    EXPECT_EQ(log.lines(),
              (QStringList{
                  prefix + "D-Bus error org.freedesktop.DBus.Error.UnknownObject (No such object "
                           "path '/org/kde/KWin/InputDevice/event9') on GetAll of event9; ignored",
                  prefix + "KWin refused Set pointerAcceleration of event3: "
                           "org.freedesktop.DBus.Error.UnknownObject (No such object path "
                           "'/org/kde/KWin/InputDevice/event3')",
                  prefix + "ignoring speed gain 0.0 for KWin device event3 \"Zono\\nX\" "
                           "(service 1): not a positive gain",
                  prefix + "cannot control pointer devices: KWin is not on the session bus",
              }));
}

} // namespace
} // namespace veloquill::test
