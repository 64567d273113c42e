// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the manager does as devices come and go, and its log wording, pinned once in a
// transcript: people compare logs across versions.
#include "manager_fixture.h"

#include "device/restore_journal.h"
#include "support/blocking_paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

using namespace veloquill;
using namespace veloquill::test;
using sim::SettingWrite;
using Services = std::vector<std::shared_ptr<sim::SimulatedDevice>>;

using Manager = ManagerTest;

TEST_F(Manager, StartGoesOnWhenTheSystemFailsAndCanBeRetried)
{
    system->setWatchFails(true);
    plugIn("Head Mouse", 1, 1);
    manager->startObservation();
    EXPECT_TRUE(manager->devices().empty());
    system->setWatchFails(false);
    system->setDevicesFails(true);
    manager->startObservation();
    EXPECT_TRUE(manager->devices().empty());
    // Arrivals still come through the matching callback.
    plugIn("Late Mouse", 2, 2);
    drainMainLoop();
    ASSERT_EQ(manager->devices().size(), 1u);
    EXPECT_EQ(manager->devices()[0]->name(), "Late Mouse");
}

// Arrivals are heard once the list shows them, never inside the system's call. Starting twice,
// and a device leaving or arriving while stopped (found at the next start), are in the
// transcript.
TEST_F(Manager, ListChangesBeforeArrivalsAreHeard)
{
    plugIn("Pen", 1, 2);
    manager->startObservation();
    QStringList heard;
    QObject::connect(manager.get(), &PointerDeviceManager::deviceAdded, [&](const auto& d) {
        heard.append(d->name() + " added, listed " + QString::number(manager->devices().size()));
    });
    int changes = 0;
    QObject::connect(manager.get(), &PointerDeviceManager::devicesChanged, [&] { ++changes; });

    auto mouse = plugIn("Head Mouse", 1, 1);
    auto ball = plugIn("Trackball", 2, 2);
    EXPECT_TRUE(heard.isEmpty());
    drainMainLoop();
    system->removeDevice(mouse);
    drainMainLoop();
    unplug(ball);
    EXPECT_EQ(heard, QStringList({"Head Mouse added, listed 2", "Trackball added, listed 3"}));
    EXPECT_EQ(changes, 4);
}

TEST_F(Manager, TwinsWithoutSerialsAreEachListedAndEachLeavesOnlyItsOwnEntry)
{
    // Services 0 and 2 are identical mice; which leave, and which are listed after.
    const std::pair<std::vector<int>, std::vector<std::ptrdiff_t>> cases[] = {
        {{}, {0, 1, 2}}, {{0}, {1, 2}}, {{2}, {0, 1}}, {{0, 2}, {1}}};
    for (const auto& [leaving, listedAfter] : cases) {
        SCOPED_TRACE(::testing::PrintToString(leaving));
        system = std::make_shared<sim::SimulatedBackend>();
        manager = std::make_unique<PointerDeviceManager>(system);
        const Services services{plugIn("Foot Mouse", 5, 6), plugIn("Trackball", 7, 8),
                                plugIn("Foot Mouse", 5, 6)};
        manager->startObservation();
        for (int index : leaving)
            system->removeDevice(services[index]);
        drainMainLoop();
        std::vector<std::ptrdiff_t> listed;
        for (const auto& device : manager->devices())
            listed.push_back(std::find(services.begin(), services.end(), device->client()) -
                             services.begin());
        EXPECT_EQ(listed, listedAfter);
    }
}

// A name from outside is written escaped: one event, one line, in reading order. The lines for
// a hostile (or empty) name are those for a plain one with the name's escaped form in its place.
TEST_F(Manager, DeviceNamesWithControlCharactersStayOnTheirLines)
{
    manager->startObservation();
    const auto linesFor = [&](const QString& name) {
        log.clear();
        unplug(plugIn(name));
        return log.lines();
    };
    const QStringList plain = linesFor("Plain");
    const std::pair<QString, QString> cases[] = {
        {"Foot\n[AppDelegate] Application will terminate.",
         "Foot\\n[AppDelegate] Application will terminate."},
        {"Tab\tBall", "Tab\\tBall"},
        {"\x1b[2JClear", "\\x1b[2JClear"},
        {QString("Left") + QChar(0x202e) + "thgir", "Left\\u202ethgir"},
        {"", ""}, // leaves like any other
    };
    for (const auto& [name, escaped] : cases) {
        SCOPED_TRACE(escaped.toStdString());
        QStringList expected = plain;
        expected.replaceInStrings("Plain", escaped);
        const QStringList lines = linesFor(name);
        EXPECT_EQ(lines.join('|').replace(QRegularExpression("id=\\d+"), "id"),
                  expected.join('|').replace(QRegularExpression("id=\\d+"), "id"));
    }
}

TEST_F(Manager, GoneManagerIsNeverCalledBack)
{
    auto mouse = plugIn("Head Mouse");
    auto ball = plugIn("Trackball", 1, 1);
    manager->startObservation();
    system->removeDevice(mouse);
    // The system delivers the removal, but not the manager's own follow-up work.
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    manager.reset();
    drainMainLoop();
    EXPECT_TRUE(log.contains("PointerDeviceManager: Manager deallocated during device removal"));

    log.clear();
    system->removeDevice(ball);
    plugIn("Foot Mouse");
    drainMainLoop();
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(Manager, RestorePutsBackOnlyTheDevicesItChangedAndSaysWhenTheSystemIsGone)
{
    const SettingWrite restore{SettingWrite::Kind::Restore};
    const Services services{plugIn("Slow", 1, 1), plugIn("Fast", 2, 2), plugIn("Head Mouse", 3, 3)};
    manager->startObservation();
    manager->devices()[0]->setPointerResolution(56.33802816901409);
    manager->devices()[1]->setPointerAcceleration(-1.0);
    for (const auto& service : services)
        service->clearWrites();

    EXPECT_TRUE(manager->restoreInitialPointerSettings());
    EXPECT_TRUE(manager->restoreInitialPointerSettings()); // all back already: nothing written
    EXPECT_EQ(services[0]->writes(), std::vector<SettingWrite>{restore});
    EXPECT_EQ(services[1]->writes(), std::vector<SettingWrite>{restore});
    EXPECT_TRUE(services[2]->writes().empty());
    EXPECT_EQ(system->originalsForgotten(), 2);

    // Gone with its event system: nothing is forgotten, so a later run can still restore.
    manager->devices()[2]->setPointerResolution(800.0);
    services[2]->becomeUnreachable();
    EXPECT_FALSE(manager->restoreInitialPointerSettings());
    EXPECT_EQ(system->originalsForgotten(), 2);
}

// Two identical mice without serial numbers and a trackball whose resolution is unreadable
// come and go around a stop, a restart and three quits, the last with the system gone. The
// transcript is kept beside this file, where a wording change shows as a plain diff.
TEST_F(Manager, LogTranscriptOfTwinsComingAndGoingAroundARestartAndThreeQuits)
{
    auto listed = plugIn("Foot Mouse", 5, 6);
    sim::DeviceSpec odd = sim::DeviceSpec::mouse("Trackball", 7, 8);
    odd.settings.gain = std::nullopt;
    auto trackball = system->addDevice(odd);
    auto twin = plugIn("Foot Mouse", 5, 6);
    QObject::connect(manager.get(), &PointerDeviceManager::deviceAdded, [](const auto&) {});

    manager->startObservation();
    manager->startObservation();
    unplug(twin);
    manager->devices()[0]->setPointerResolution(std::nan(""));
    manager->stopObservation();
    manager->stopObservation();
    unplug(listed);
    manager->restoreInitialPointerSettings();

    auto returned = plugIn("Foot Mouse", 5, 6, std::nullopt, 3000.0);
    manager->startObservation();
    manager->devices()[1]->setPointerAcceleration(2.0);
    manager->restoreInitialPointerSettings();
    manager->devices()[1]->setPointerAcceleration(3.0);
    returned->becomeUnreachable();
    manager->restoreInitialPointerSettings();
    unplug(trackball);
    unplug(returned);

    QFile transcript(DEVICE_LOG_TRANSCRIPT);
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    EXPECT_EQ((log.lines().join('\n') + '\n').toStdString(), transcript.readAll().toStdString());
}

// The crash journal's path holding anything but the journal's own regular file after the
// start: it is left alone, nothing waits on it, and one line says the run goes on without one.
TEST(RestoreJournal, PathThatIsNoFileOfItsOwnIsLeftAloneAndTheRunGoesOnWithoutOne)
{
    for (const BlockingPath kind : WrittenBlockingPaths) {
        QTemporaryDir dir;
        RestoreJournal journal(dir.path(), {":0", "[X11] ", "X server"});
        journal.load("server");
        ASSERT_TRUE(makeBlockingPath(kind, journal.path()));
        const QString before = describePath(journal.path());
        HangGuard guard;
        LogCapture log;
        journal.record({7, "Head Mouse"}, "server");
        journal.record({8, "Trackball"}, "server");
        journal.remove();
        EXPECT_EQ(describePath(journal.path()), before);
        EXPECT_EQ(log.lines(),
                  QStringList{"[X11] no crash journal (" + journal.path() +
                              (kind == BlockingPath::LinkToFifo ? " is a symbolic link"
                                                                : " is not a regular file") +
                              "); a crash now would leave devices changed"});
    }
}
