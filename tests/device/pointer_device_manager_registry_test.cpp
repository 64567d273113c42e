#include "manager_fixture.h"

#include <QCoreApplication>
#include <QObject>

using namespace veloquill;
using namespace veloquill::test;

using ManagerRegistry = ManagerTest;

TEST_F(ManagerRegistry, ArrivalsAreListedInOrderAndAnnouncedSynchronously)
{
    manager->startObservation();
    QStringList added;
    auto token =
        manager->observeDeviceAdded([&](PointerDeviceManager& m, const PointerDeviceRef& d) {
            // The list already holds the device when observers hear of it.
            added.append(d->name() + "/" + QString::number(m.devices().size()));
        });
    int changes = 0;
    QObject::connect(manager.get(), &PointerDeviceManager::devicesChanged, [&] { ++changes; });

    plugIn("Head Mouse", 1, 1);
    plugIn("Trackball", 2, 2);
    drainMainLoop();
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse", "Trackball"}));
    EXPECT_EQ(added, QStringList({"Head Mouse/1", "Trackball/2"}));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(log.contains("[PointerDeviceManager] Recorded initial pointer resolution 400.0 for "
                             "device Trackball"));
    EXPECT_TRUE(log.contains("PointerDeviceManager: Triggering deviceAdded callback for device: "
                             "Trackball"));
}

TEST_F(ManagerRegistry, DuplicateArrivalOfOneServiceIsTurnedAway)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    int added = 0;
    auto token = manager->observeDeviceAdded([&](auto&, const auto&) { ++added; });
    log.clear();
    system->redeliverArrival(mouse);
    drainMainLoop();
    EXPECT_EQ(added, 0);
    EXPECT_EQ(manager->devices().size(), 1u);
    EXPECT_EQ(log.lines(),
              QStringList({"PointerDeviceManager: addDevice(forClient:) called for client: " +
                               mouse->describe(),
                           "PointerDeviceManager: Client already exists: " + mouse->describe()}));
}

TEST_F(ManagerRegistry, TwinsWithoutSerialsAreBothMappedButListedOnce)
{
    manager->startObservation();
    int added = 0;
    auto token = manager->observeDeviceAdded([&](auto&, const auto&) { ++added; });
    plugIn("Foot Mouse", 5, 6);
    plugIn("Foot Mouse", 5, 6);
    drainMainLoop();
    EXPECT_EQ(listedNames(), QStringList({"Foot Mouse"}));
    EXPECT_EQ(added, 2);
    EXPECT_TRUE(log.contains("PointerDeviceManager: Device (stableID: 5-6-Foot Mouse-N/A) already "
                             "in @Published devices array, not appending: Foot Mouse"));
}

TEST_F(ManagerRegistry, TwinTakesThePlaceOfTheListedOneThatLeft)
{
    auto listed = plugIn("Foot Mouse", 5, 6);
    auto other = plugIn("Trackball", 7, 8);
    auto twin = plugIn("Foot Mouse", 5, 6);
    manager->startObservation();
    std::vector<PointerDeviceRef> removed;
    auto token = manager->observeDeviceRemoved(
        [&](auto&, const PointerDeviceRef& device) { removed.push_back(device); });

    unplug(listed);
    ASSERT_EQ(manager->devices().size(), 2u);
    EXPECT_EQ(manager->devices()[0]->client(), twin);
    EXPECT_EQ(manager->devices()[1]->client(), other);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0]->client(), listed);
    EXPECT_TRUE(log.contains("PointerDeviceManager: Twin device took its place in @Published "
                             "devices array: Foot Mouse (stableID: 5-6-Foot Mouse-N/A)"));

    // The twin is the one restored at quit.
    twin->clearWrites();
    manager->restoreInitialPointerSettings();
    EXPECT_FALSE(twin->writes().empty());

    unplug(twin);
    EXPECT_EQ(listedNames(), QStringList({"Trackball"}));
}

TEST_F(ManagerRegistry, UnlistedTwinLeavingKeepsTheListedOne)
{
    auto listed = plugIn("Foot Mouse", 5, 6);
    auto twin = plugIn("Foot Mouse", 5, 6);
    manager->startObservation();
    std::vector<PointerDeviceRef> removed;
    auto token = manager->observeDeviceRemoved(
        [&](auto&, const PointerDeviceRef& device) { removed.push_back(device); });

    unplug(twin);
    ASSERT_EQ(manager->devices().size(), 1u);
    EXPECT_EQ(manager->devices()[0]->client(), listed);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0]->client(), twin);
}

TEST_F(ManagerRegistry, BothTwinsLeavingTogetherEmptyTheList)
{
    auto first = plugIn("Foot Mouse", 5, 6);
    auto second = plugIn("Foot Mouse", 5, 6);
    manager->startObservation();
    system->removeService(first);
    system->removeService(second);
    drainMainLoop();
    EXPECT_TRUE(manager->devices().empty());
}

TEST_F(ManagerRegistry, DeviceWithEmptyNameLeavesLikeAnyOther)
{
    auto nameless = plugIn("", 3, 4);
    manager->startObservation();
    EXPECT_EQ(manager->devices().size(), 1u);
    int removed = 0;
    auto token = manager->observeDeviceRemoved([&](auto&, const auto&) { ++removed; });
    unplug(nameless);
    EXPECT_TRUE(manager->devices().empty());
    EXPECT_EQ(removed, 1);
}

TEST_F(ManagerRegistry, RemovingTheLastDeviceSaysNoneRemain)
{
    auto mouse = plugIn("Head Mouse", 1, 2);
    auto ball = plugIn("Trackball", 3, 4);
    manager->startObservation();
    unplug(mouse);
    EXPECT_TRUE(log.contains("PointerDeviceManager: Remaining devices after removal (1 total):"));
    EXPECT_TRUE(log.contains("  - Trackball (stableID: 3-4-Trackball-N/A)"));
    log.clear();
    unplug(ball);
    const QStringList lines = log.lines();
    const auto at =
        lines.indexOf("PointerDeviceManager: Remaining devices after removal (0 total):");
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.at(at + 1), "[No devices remaining - device switching may be needed]");
}

TEST_F(ManagerRegistry, RemovalUpdatesTheListBeforeObserversHear)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    std::size_t listedWhenHeard = 99;
    auto token = manager->observeDeviceRemoved(
        [&](PointerDeviceManager& m, const auto&) { listedWhenHeard = m.devices().size(); });
    system->removeService(mouse);
    EXPECT_EQ(manager->devices().size(), 1u); // nothing happens inside the system's call
    drainMainLoop();
    EXPECT_EQ(listedWhenHeard, 0u);
}

TEST_F(ManagerRegistry, RemovalOfAnUnknownServiceIsLoggedAndIgnored)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    system->invokeRemovalCallbackRaw(manager.get(), mouse); // first removal: real
    drainMainLoop();
    log.clear();
    system->invokeRemovalCallbackRaw(manager.get(), mouse);
    EXPECT_TRUE(log.contains("PointerDeviceManager: No device found for client in "
                             "removeDevice(forClient:): " +
                             mouse->describe()));
}

TEST_F(ManagerRegistry, ObserverSubscribedDuringAnArrivalHearsOnlyLaterOnes)
{
    manager->startObservation();
    QStringList late;
    std::shared_ptr<ObservationToken> lateToken;
    auto token = manager->observeDeviceAdded([&](PointerDeviceManager& m, const auto&) {
        if (!lateToken)
            lateToken = m.observeDeviceAdded(
                [&](auto&, const PointerDeviceRef& d) { late.append(d->name()); });
    });
    plugIn("Head Mouse", 1, 1);
    drainMainLoop();
    EXPECT_TRUE(late.isEmpty());
    plugIn("Trackball", 2, 2);
    drainMainLoop();
    EXPECT_EQ(late, QStringList({"Trackball"}));
}

TEST_F(ManagerRegistry, ObserverCancelledByAnotherDuringTheWalkIsNotCalled)
{
    manager->startObservation();
    // Two observers that each cancel the other: whichever runs first, the other must not
    // run, because what it captured may already be destroyed.
    std::shared_ptr<ObservationToken> first;
    std::shared_ptr<ObservationToken> second;
    int calls = 0;
    first = manager->observeDeviceAdded([&](auto&, const auto&) {
        ++calls;
        second.reset();
    });
    second = manager->observeDeviceAdded([&](auto&, const auto&) {
        ++calls;
        first.reset();
    });
    plugIn("Head Mouse");
    drainMainLoop();
    EXPECT_EQ(calls, 1);
}

TEST_F(ManagerRegistry, ObserverMayCancelItselfWhileRunning)
{
    manager->startObservation();
    std::shared_ptr<ObservationToken> token;
    int calls = 0;
    token = manager->observeDeviceRemoved([&](auto&, const auto&) {
        ++calls;
        token.reset();
    });
    auto a = plugIn("Head Mouse", 1, 1);
    auto b = plugIn("Trackball", 2, 2);
    drainMainLoop();
    unplug(a);
    unplug(b);
    EXPECT_EQ(calls, 1);
}

TEST_F(ManagerRegistry, TokenTiedToAnOwnerEndsWithTheOwner)
{
    manager->startObservation();
    int calls = 0;
    auto owner = std::make_unique<QObject>();
    manager->observeDeviceAdded([&](auto&, const auto&) { ++calls; })->tieToLifetime(owner.get());
    plugIn("Head Mouse", 1, 1);
    drainMainLoop();
    EXPECT_EQ(calls, 1);
    owner.reset();
    plugIn("Trackball", 2, 2);
    drainMainLoop();
    EXPECT_EQ(calls, 1);
}

TEST_F(ManagerRegistry, DetachedTokenLivesAsLongAsItsHolder)
{
    manager->startObservation();
    int calls = 0;
    auto owner = std::make_unique<QObject>();
    auto token = manager->observeDeviceAdded([&](auto&, const auto&) { ++calls; });
    token->tieToLifetime(owner.get());
    token->removeLifetime();
    owner.reset();
    plugIn("Head Mouse", 1, 1);
    drainMainLoop();
    EXPECT_EQ(calls, 1);
    token.reset();
    plugIn("Trackball", 2, 2);
    drainMainLoop();
    EXPECT_EQ(calls, 1);
}

TEST_F(ManagerRegistry, TokensOutlivingTheManagerAreHarmless)
{
    auto token = manager->observeDeviceAdded([](auto&, const auto&) {});
    manager.reset();
    token.reset();
}

TEST_F(ManagerRegistry, ManagerGoneBeforeQueuedRemovalWorkRuns)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    system->removeService(mouse);
    // Let the system deliver the removal, but not the manager's own follow-up work.
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    manager.reset();
    drainMainLoop();
    EXPECT_TRUE(log.contains("PointerDeviceManager: Manager deallocated during device removal"));
    EXPECT_TRUE(
        log.contains("PointerDeviceManager: Manager deallocated during callback processing"));
}

TEST_F(ManagerRegistry, DestroyedManagerIsNeverCalledBack)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    manager.reset();
    log.clear();
    system->removeService(mouse);
    plugIn("Trackball");
    drainMainLoop();
    EXPECT_TRUE(log.lines().isEmpty());
}
