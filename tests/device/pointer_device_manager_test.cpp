// What the manager does as devices come and go, and its log wording, pinned once in a
// transcript: people compare logs across versions.
#include "manager_fixture.h"

#include "device/hid_keys.h"

#include <QCoreApplication>
#include <QFile>

#include <cmath>

using namespace veloquill;
using namespace veloquill::test;
using sim::fixed;
using sim::PropertyWrite;
using Services = std::vector<std::shared_ptr<sim::SimulatedService>>;

namespace {
HidSystemParameterRead copied(const HidPropertyValue& value)
{
    return {HidSystemParameterRead::Outcome::Copied, 0, value};
}

sim::ServiceSpec withUsage(const QString& name, std::uint32_t usage)
{
    sim::ServiceSpec spec = sim::ServiceSpec::mouse(name, usage, usage);
    spec.usages = {{1, usage}};
    return spec;
}
} // namespace

using Manager = ManagerTest;

// Starting twice, a restart and a device leaving while stopped are in the transcript.
TEST_F(Manager, ListsMatchingMiceAndPointersAndHearsOfNoArrivalsWhileStopped)
{
    plugIn("Head Mouse", 1, 1);
    system->addService(withUsage("Pen", 1));
    system->addService(withUsage("Keyboard", 6));
    manager->startObservation();
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse", "Pen"}));

    manager->stopObservation();
    plugIn("Trackball", 5, 5);
    drainMainLoop();
    EXPECT_EQ(manager->devices().size(), 2u);
    manager->startObservation(); // the newcomer is found at the next start
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse", "Pen", "Trackball"}));
}

TEST_F(Manager, StartGoesOnWhenTheSystemFailsAndCanBeRetried)
{
    system->setCreateClientFails(true);
    plugIn("Head Mouse", 1, 1);
    manager->startObservation();
    EXPECT_TRUE(manager->devices().empty());
    system->setCreateClientFails(false);
    system->setCopyServicesFails(true);
    manager->startObservation();
    EXPECT_TRUE(manager->devices().empty());
    // Arrivals still come through the matching callback.
    plugIn("Late Mouse", 2, 2);
    drainMainLoop();
    EXPECT_EQ(listedNames(), QStringList({"Late Mouse"}));
}

TEST_F(Manager, ListChangesBeforeObserversHearAndNeverInsideTheSystemsCall)
{
    manager->startObservation();
    QStringList heard;
    auto added = manager->observeDeviceAdded([&](PointerDeviceManager& m, const auto& d) {
        heard.append(d->name() + " added, listed " + QString::number(m.devices().size()));
    });
    auto removed = manager->observeDeviceRemoved([&](PointerDeviceManager& m, const auto& d) {
        heard.append(d->name() + " removed, listed " + QString::number(m.devices().size()));
    });
    int changes = 0;
    QObject::connect(manager.get(), &PointerDeviceManager::devicesChanged, [&] { ++changes; });
    auto mouse = plugIn("Head Mouse", 1, 1);
    plugIn("Trackball", 2, 2);
    EXPECT_TRUE(heard.isEmpty());
    drainMainLoop();
    system->removeService(mouse);
    EXPECT_EQ(heard.size(), 2);
    drainMainLoop();
    EXPECT_EQ(heard, QStringList({"Head Mouse added, listed 1", "Trackball added, listed 2",
                                  "Head Mouse removed, listed 1"}));
    EXPECT_EQ(changes, 3);
}

TEST_F(Manager, TwinsWithoutSerialsShareOneListEntryHeldByAConnectedOne)
{
    // Services A and C are identical mice; which leave, and which is listed after.
    const std::vector<std::pair<std::vector<int>, QStringList>> cases{
        {{}, {"A", "Ball"}}, {{0}, {"C", "Ball"}}, {{2}, {"A", "Ball"}}, {{0, 2}, {"Ball"}}};
    for (const auto& [leaving, listedAfter] : cases) {
        SCOPED_TRACE(listedAfter.join(',').toStdString());
        system = std::make_shared<sim::SimulatedHidEventSystem>();
        manager = std::make_unique<PointerDeviceManager>(system);
        const Services services{plugIn("Foot Mouse", 5, 6), plugIn("Trackball", 7, 8),
                                plugIn("Foot Mouse", 5, 6)};
        const auto name = [&](const PointerDeviceRef& d) {
            const QStringList names{"A", "Ball", "C"};
            for (std::size_t i = 0; i < services.size(); ++i) {
                if (d->client() == services[i])
                    return names[i];
            }
            return QString();
        };
        int added = 0;
        QStringList removed, left, listed;
        auto addedToken = manager->observeDeviceAdded([&](auto&, const auto&) { ++added; });
        auto removedToken = manager->observeDeviceRemoved(
            [&](auto&, const PointerDeviceRef& d) { removed.append(name(d)); });
        manager->startObservation();
        for (int index : leaving) {
            system->removeService(services[index]);
            left.append(QStringList{"A", "Ball", "C"}[index]);
        }
        drainMainLoop();
        for (const auto& device : manager->devices())
            listed.append(name(device));
        EXPECT_EQ(listed, listedAfter);
        EXPECT_EQ(added, 3);
        EXPECT_EQ(removed, left);
    }
}

TEST_F(Manager, DeviceWithEmptyNameLeavesLikeAnyOther)
{
    auto nameless = plugIn("", 3, 4);
    manager->startObservation();
    int removed = 0;
    auto token = manager->observeDeviceRemoved([&](auto&, const auto&) { ++removed; });
    unplug(nameless);
    EXPECT_TRUE(manager->devices().empty());
    EXPECT_EQ(removed, 1);
}

TEST_F(Manager, ObserversSubscribedOrCancelledDuringAWalk)
{
    manager->startObservation();
    // Subscribed during an arrival: hears only later ones.
    QStringList late;
    std::shared_ptr<ObservationToken> lateToken;
    auto subscriber = manager->observeDeviceAdded([&](PointerDeviceManager& m, const auto&) {
        if (!lateToken)
            lateToken = m.observeDeviceAdded(
                [&](auto&, const PointerDeviceRef& d) { late.append(d->name()); });
    });
    // Two that cancel each other: whichever runs first, the other must not run, because
    // what it captured may already be destroyed.
    std::shared_ptr<ObservationToken> first, second, self;
    int cancellers = 0, selfCalls = 0;
    first = manager->observeDeviceAdded([&](auto&, const auto&) {
        ++cancellers;
        second.reset();
    });
    second = manager->observeDeviceAdded([&](auto&, const auto&) {
        ++cancellers;
        first.reset();
    });
    // One that cancels itself.
    self = manager->observeDeviceRemoved([&](auto&, const auto&) {
        ++selfCalls;
        self.reset();
    });

    auto a = plugIn("Head Mouse", 1, 1);
    drainMainLoop();
    auto b = plugIn("Trackball", 2, 2);
    drainMainLoop();
    unplug(a);
    unplug(b);
    EXPECT_EQ(late, QStringList({"Trackball"}));
    EXPECT_EQ(cancellers, 2); // one per arrival
    EXPECT_EQ(selfCalls, 1);
}

TEST_F(Manager, PropertyObserversHearTheirKeyOnceRegisteredAtAStart)
{
    auto mouse = plugIn("Head Mouse");
    int resolution = 0, twin = 0, acceleration = 0;
    auto t1 =
        manager->observePropertyChanged(HidKey::PointerResolution, [&](auto&) { ++resolution; });
    auto t2 = manager->observePropertyChanged(HidKey::PointerResolution, [&](auto&) { ++twin; });
    manager->startObservation();
    // Asked for after the start: not registered with the system yet.
    auto t3 = manager->observePropertyChanged(HidKey::PointerAcceleration,
                                              [&](auto&) { ++acceleration; });
    mouse->changePropertyExternally(HidKey::PointerResolution, fixed(65536 * 800));
    mouse->changePropertyExternally(HidKey::PointerAcceleration, fixed(0));
    drainMainLoop();
    // One registration per observer, so each hears the change once per registration.
    EXPECT_EQ(std::tuple(resolution, twin, acceleration), std::tuple(2, 2, 0));

    manager->stopObservation();
    mouse->changePropertyExternally(HidKey::PointerResolution, fixed(65536 * 800));
    manager->startObservation();
    mouse->changePropertyExternally(HidKey::PointerAcceleration, fixed(65536));
    drainMainLoop();
    EXPECT_EQ(std::tuple(resolution, twin, acceleration), std::tuple(2, 2, 1));
}

TEST_F(Manager, EventsReachObserversOnlyWhileSomeoneListens)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    EXPECT_FALSE(system->isDeliveringEvents());

    std::vector<std::pair<QString, double>> heard;
    auto token = manager->observeEventReceived(
        [&](PointerDeviceManager& m, const PointerDeviceRef& device, const HidEventRef& event) {
            heard.emplace_back(device->name(), event->deltaX);
            EXPECT_EQ(m.pointerDeviceFromIOHIDEvent(event), device);
        });
    EXPECT_TRUE(system->isDeliveringEvents());
    system->emitEvent(mouse, {.deltaX = 12});
    EXPECT_TRUE(heard.empty());
    drainMainLoop();
    EXPECT_EQ(heard, (std::vector<std::pair<QString, double>>{{"Head Mouse", 12.0}}));
    EXPECT_EQ(manager->pointerDeviceFromIOHIDEvent(
                  std::make_shared<HidEvent>(HidEvent{.senderID = 12345})),
              nullptr);

    token.reset();
    EXPECT_FALSE(system->isDeliveringEvents());
    system->emitEvent(mouse, {});
    drainMainLoop();
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(Manager, GoneManagerIsNeverCalledBack)
{
    auto mouse = plugIn("Head Mouse");
    auto ball = plugIn("Trackball", 1, 1);
    manager->startObservation();
    auto event = manager->observeEventReceived([](auto&, const auto&, const auto&) {});
    system->emitEvent(mouse, {});
    system->removeService(mouse);
    // The system delivers the removal, but not the manager's own follow-up work.
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    manager.reset();
    drainMainLoop();
    EXPECT_TRUE(log.contains("PointerDeviceManager: Manager deallocated during device removal"));
    EXPECT_TRUE(
        log.contains("PointerDeviceManager: Manager deallocated during callback processing"));

    log.clear();
    system->removeService(ball);
    plugIn("Foot Mouse");
    drainMainLoop();
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(Manager, RestorePutsBackFirstSeenResolutionsAndTheSystemDefaultAcceleration)
{
    system->setSystemParameter(HidKey::PointerAcceleration, copied(fixed(45056)));
    const Services services{plugIn("Slow", 1, 1, std::nullopt, 5.0),
                            plugIn("Fast", 2, 2, std::nullopt, 3000.0),
                            plugIn("Head Mouse", 3, 3, std::nullopt, 400.0)};
    manager->startObservation();
    for (const auto& device : manager->devices()) {
        device->setPointerResolution(56.33802816901409);
        device->setPointerAcceleration(-1.0);
    }
    for (const auto& service : services)
        service->clearWrites();
    manager->restoreInitialPointerSettings();
    manager->restoreInitialPointerSettings(); // finds nothing recorded: only acceleration
    const std::vector<std::int64_t> bounded{10 * 65536, 1995 * 65536, 400 * 65536};
    for (std::size_t i = 0; i < services.size(); ++i) {
        EXPECT_EQ(services[i]->writes(),
                  (std::vector<PropertyWrite>{{HidKey::PointerResolution, fixed(bounded[i])},
                                              {HidKey::PointerAcceleration, fixed(45056)},
                                              {HidKey::PointerAcceleration, fixed(45056)}}));
    }
}

TEST_F(Manager, RestoreWithoutSystemDefaultWritesTheFallbackUnderEachDevicesOwnKey)
{
    sim::ServiceSpec typed = sim::ServiceSpec::mouse("Typed", 1, 1);
    typed.properties[HidKey::PointerAccelerationType] = HidPropertyValue::text("HIDTrackpad");
    sim::ServiceSpec bare = sim::ServiceSpec::mouse("Bare", 3, 3);
    bare.properties.erase(HidKey::PointerAcceleration);
    const std::vector<std::pair<std::shared_ptr<sim::SimulatedService>, QString>> cases{
        {system->addService(typed), "HIDTrackpad"},
        {plugIn("Plain", 2, 2), HidKey::PointerAcceleration},
        {system->addService(bare), HidKey::MouseAcceleration}};
    manager->startObservation();
    for (const auto& [service, key] : cases)
        service->clearWrites();
    manager->restoreInitialPointerSettings();
    for (const auto& [service, key] : cases) {
        EXPECT_EQ(service->writes(),
                  (std::vector<PropertyWrite>{{HidKey::PointerResolution, fixed(400 * 65536)},
                                              {key, fixed(45056)}}));
    }
}

// No system service and a plain 45056 are read in the transcript.
TEST_F(Manager, SystemDefaultAccelerationIsReadOnlyFromAWhole16Dot16Number)
{
    using Outcome = HidSystemParameterRead::Outcome;
    const std::vector<std::pair<HidSystemParameterRead, std::optional<double>>> cases{
        {{Outcome::OpenFailed, -536870201, {}}, std::nullopt},
        {{Outcome::CopyFailed, -536870160, {}}, std::nullopt},
        {copied({}), std::nullopt},
        {copied(HidPropertyValue::real(0.5)), std::nullopt},
        {copied(fixed(1LL << 33)), std::nullopt},
        {copied(HidPropertyValue::text("fast")), std::nullopt},
        {copied(HidPropertyValue::real(65536.0)), 1.0},
    };
    for (const auto& [read, expected] : cases) {
        SCOPED_TRACE(read.value.describe().toStdString());
        system->setSystemParameter(HidKey::PointerAcceleration, read);
        log.clear();
        EXPECT_EQ(manager->getSystemDefaultPointerAcceleration(), expected);
        EXPECT_EQ(log.lines().size(), 2); // what failed or was read, and the outcome
    }
}

// Two identical mice without serial numbers and a trackball whose resolution is unreadable
// come and go around a stop, a restart and two quits. The transcript is kept beside this
// file, where a wording change shows as a plain diff.
TEST_F(Manager, LogTranscriptOfTwinsComingAndGoingAroundARestartAndTwoQuits)
{
    auto listed = plugIn("Foot Mouse", 5, 6);
    sim::ServiceSpec odd = sim::ServiceSpec::mouse("Trackball", 7, 8);
    odd.properties[HidKey::PointerResolution] = HidPropertyValue::text("fine");
    auto trackball = system->addService(odd);
    auto twin = plugIn("Foot Mouse", 5, 6);
    auto token = manager->observeDeviceAdded([](auto&, const auto&) {});

    manager->startObservation();
    manager->startObservation();
    unplug(twin);
    manager->devices()[0]->setPointerResolution(std::nan(""));
    manager->stopObservation();
    manager->stopObservation();
    manager->pointerDeviceFromIOHIDEvent(std::make_shared<HidEvent>());
    unplug(listed);
    system->setSystemParameter(
        HidKey::PointerAcceleration,
        {HidSystemParameterRead::Outcome::Copied, 0, HidPropertyValue::integer(45056)});
    manager->restoreInitialPointerSettings();

    auto returned = plugIn("Foot Mouse", 5, 6, std::nullopt, 3000.0);
    manager->startObservation();
    system->setSystemParameter(HidKey::PointerAcceleration, {});
    manager->restoreInitialPointerSettings();
    unplug(trackball);
    unplug(returned);

    QFile transcript(DEVICE_LOG_TRANSCRIPT);
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    EXPECT_EQ((log.lines().join('\n') + '\n').toStdString(), transcript.readAll().toStdString());
}
