#include "manager_fixture.h"

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString kAlreadyInitialized = "PointerDeviceManager: startObservation called but "
                                    "eventSystemClient is already initialized. Observation likely "
                                    "active.";
const QString kRescan = "PointerDeviceManager: Re-scanning for existing services on active client.";
const QString kAlreadyNil = "[PointerDeviceManager] stopObservation: eventSystemClient is already "
                            "nil. Observation likely not active.";
} // namespace

using ManagerLifecycle = ManagerTest;

TEST_F(ManagerLifecycle, StartListsThePresentDevicesAndLogsEachStep)
{
    plugIn("Head Mouse");
    plugIn("Trackball", 1133, 49271);
    manager->startObservation();

    EXPECT_EQ(listedNames(), QStringList({"Head Mouse", "Trackball"}));
    EXPECT_TRUE(manager->isObserving());
    const QStringList lines = log.lines();
    EXPECT_EQ(lines.first(),
              "PointerDeviceManager: Attempting to create IOHIDEventSystemClient for observation.");
    EXPECT_TRUE(log.contains("PointerDeviceManager: IOHIDEventSystemClient created successfully."));
    EXPECT_TRUE(log.contains("PointerDeviceManager: Found 2 initial services."));
    EXPECT_TRUE(log.contains("PointerDeviceManager: Appended device to @Published devices array: "
                             "Trackball (stableID: 1133-49271-Trackball-N/A)"));
    EXPECT_EQ(lines.last(), "PointerDeviceManager: Observation started and initial devices "
                            "processed. Initialization complete.");
    ASSERT_EQ(system->clients().size(), 1u);
    const auto client = system->clients().front();
    EXPECT_TRUE(client.scheduled);
    EXPECT_EQ(client.deviceMatchingCallbacks, 1);
    EXPECT_EQ(client.eventCallbacks, 1);
    const std::vector<HidMatchingDictionary> mouseOrPointer{
        {{"DeviceUsagePage", 1}, {"DeviceUsage", 2}}, {{"DeviceUsagePage", 1}, {"DeviceUsage", 1}}};
    EXPECT_EQ(client.matching, mouseOrPointer);
}

TEST_F(ManagerLifecycle, StartWithNothingPresentStillCompletes)
{
    manager->startObservation();
    EXPECT_TRUE(log.contains("PointerDeviceManager: Found 0 initial services."));
    EXPECT_TRUE(manager->devices().empty());
    EXPECT_TRUE(manager->isObserving());
}

TEST_F(ManagerLifecycle, StartingTwiceRescansWithoutDuplicates)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    log.clear();
    manager->startObservation();

    EXPECT_EQ(log.lines().mid(0, 2), QStringList({kAlreadyInitialized, kRescan}));
    EXPECT_TRUE(log.contains("PointerDeviceManager: Client already exists: " + mouse->describe()));
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse"}));
    EXPECT_EQ(system->clientCount(), 1);
}

TEST_F(ManagerLifecycle, RescanIsSilentWhenServicesCannotBeCopied)
{
    manager->startObservation();
    system->setCopyServicesFails(true);
    log.clear();
    manager->startObservation();
    EXPECT_EQ(log.lines(), QStringList({kAlreadyInitialized}));
}

TEST_F(ManagerLifecycle, FreshStartGoesOnWhenServicesCannotBeCopied)
{
    system->setCopyServicesFails(true);
    manager->startObservation();
    EXPECT_TRUE(log.contains(
        "PointerDeviceManager: No initial services found or failed to copy services."));
    EXPECT_TRUE(manager->isObserving());
    // Arrivals still come through the matching callback.
    plugIn("Late Mouse");
    drainMainLoop();
    EXPECT_EQ(listedNames(), QStringList({"Late Mouse"}));
}

TEST_F(ManagerLifecycle, ClientThatCannotBeCreatedLeavesTheManagerIdle)
{
    system->setCreateClientFails(true);
    manager->startObservation();
    EXPECT_EQ(log.lines().last(), "PointerDeviceManager: Failed to create IOHIDEventSystemClient.");
    EXPECT_FALSE(manager->isObserving());
    // Nothing half-started: a later attempt can still succeed.
    system->setCreateClientFails(false);
    manager->startObservation();
    EXPECT_TRUE(manager->isObserving());
}

TEST_F(ManagerLifecycle, StopWithoutStartOnlySaysSo)
{
    manager->stopObservation();
    EXPECT_EQ(log.lines(), QStringList({kAlreadyNil}));
}

TEST_F(ManagerLifecycle, StopLogsEachStepAndKeepsTheDevices)
{
    plugIn("Head Mouse");
    manager->startObservation();
    log.clear();
    manager->stopObservation();
    EXPECT_EQ(log.lines(),
              QStringList({
                  "[PointerDeviceManager] stopObservation: Stopping IOKit listening. Device list "
                  "will persist.",
                  "[PointerDeviceManager] stopObservation: Unregistered device matching block.",
                  "[PointerDeviceManager] stopObservation: Event block unregistration handled by "
                  "client release.",
                  "[PointerDeviceManager] stopObservation: Property changed callback "
                  "unregistration handled by client release.",
                  "[PointerDeviceManager] stopObservation: Unscheduled eventSystemClient from "
                  "dispatch queue.",
                  "[PointerDeviceManager] stopObservation: Set eventSystemClient to nil. IOKit "
                  "listening stopped.",
              }));
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse"}));
    EXPECT_EQ(system->clientCount(), 0);
}

TEST_F(ManagerLifecycle, StopStartStopCyclesNeverDuplicateAndStillSeeArrivals)
{
    auto first = plugIn("Head Mouse");
    manager->startObservation();
    for (int cycle = 0; cycle < 3; ++cycle) {
        manager->stopObservation();
        manager->startObservation();
    }
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse"}));

    plugIn("Foot Mouse", 9, 9);
    drainMainLoop();
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse", "Foot Mouse"}));

    // While stopped nothing arrives; the next start picks the newcomer up.
    manager->stopObservation();
    plugIn("Trackball", 7, 7);
    drainMainLoop();
    EXPECT_EQ(manager->devices().size(), 2u);
    manager->startObservation();
    EXPECT_EQ(listedNames(), QStringList({"Head Mouse", "Foot Mouse", "Trackball"}));

    // A device that leaves while observation is stopped still leaves the list.
    manager->stopObservation();
    log.clear();
    unplug(first);
    EXPECT_TRUE(log.contains("PointerDeviceManager: Manager eventSystemClient is nil during "
                             "device removal, continuing anyway"));
    EXPECT_EQ(listedNames(), QStringList({"Foot Mouse", "Trackball"}));
}

TEST_F(ManagerLifecycle, PropertyObserversAreRegisteredOnlyWhenObservationStarts)
{
    auto mouse = plugIn("Head Mouse");
    int early = 0;
    int late = 0;
    auto earlyToken =
        manager->observePropertyChanged("HIDPointerResolution", [&](auto&) { ++early; });
    auto twinToken =
        manager->observePropertyChanged("HIDPointerResolution", [&](auto&) { ++early; });
    manager->startObservation();
    EXPECT_EQ(system->clients().front().propertyChangedRegistrations("HIDPointerResolution"), 2);

    // A key first asked for after the start is not registered with the system yet.
    auto lateToken =
        manager->observePropertyChanged("HIDPointerAcceleration", [&](auto&) { ++late; });
    mouse->changePropertyExternally("HIDPointerResolution", HidPropertyValue::integer(65536 * 800));
    mouse->changePropertyExternally("HIDPointerAcceleration", HidPropertyValue::integer(0));
    drainMainLoop();
    EXPECT_GT(early, 0);
    EXPECT_EQ(late, 0);

    manager->stopObservation();
    manager->startObservation();
    mouse->changePropertyExternally("HIDPointerAcceleration", HidPropertyValue::integer(65536));
    drainMainLoop();
    EXPECT_EQ(late, 1);
}

TEST_F(ManagerLifecycle, PropertyObserversHearOnlyTheirOwnKey)
{
    auto mouse = plugIn("Head Mouse");
    QStringList heard;
    auto resolution = manager->observePropertyChanged("HIDPointerResolution",
                                                      [&](auto&) { heard.append("resolution"); });
    auto acceleration = manager->observePropertyChanged(
        "HIDPointerAcceleration", [&](auto&) { heard.append("acceleration"); });
    manager->startObservation();
    mouse->changePropertyExternally("HIDPointerAcceleration", HidPropertyValue::integer(0));
    drainMainLoop();
    EXPECT_TRUE(heard.contains("acceleration"));
    EXPECT_FALSE(heard.contains("resolution"));
}

TEST_F(ManagerLifecycle, EventsReachObserversOnALaterTurnOfTheMainLoop)
{
    auto mouse = plugIn("Head Mouse");
    manager->startObservation();
    std::vector<std::pair<QString, double>> heard;
    auto token = manager->observeEventReceived(
        [&](PointerDeviceManager&, const PointerDeviceRef& device, const HidEventRef& event) {
            heard.emplace_back(device->name(), event->deltaX);
            // The sender can be found from the event alone.
            EXPECT_EQ(manager->pointerDeviceFromIOHIDEvent(event), device);
        });
    HidEvent motion;
    motion.deltaX = 12;
    system->emitEvent(mouse, motion);
    drainMainLoop();
    EXPECT_EQ(heard, (std::vector<std::pair<QString, double>>{{"Head Mouse", 12.0}}));
}

TEST_F(ManagerLifecycle, RawInputIsRequestedOnlyWhileSomeoneObservesEvents)
{
    plugIn("Head Mouse");
    manager->startObservation();
    EXPECT_FALSE(system->clients().front().eventDeliveryEnabled);
    auto token = manager->observeEventReceived([](auto&, const auto&, const auto&) {});
    EXPECT_TRUE(system->clients().front().eventDeliveryEnabled);
    token.reset();
    EXPECT_FALSE(system->clients().front().eventDeliveryEnabled);
}

TEST_F(ManagerLifecycle, EventLookupsRefuseBeforeStartAndForUnknownSenders)
{
    auto event = std::make_shared<HidEvent>();
    EXPECT_EQ(manager->pointerDeviceFromIOHIDEvent(event), nullptr);
    EXPECT_EQ(log.lines().last(), "PointerDeviceManager: pointerDeviceFromIOHIDEvent called but "
                                  "eventSystemClient is nil");

    manager->startObservation();
    log.clear();
    event->senderID = 12345;
    EXPECT_EQ(manager->pointerDeviceFromIOHIDEvent(event), nullptr);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(ManagerLifecycle, CallbacksWithMissingPiecesAreDroppedWithALine)
{
    auto mouse = plugIn("Head Mouse");
    auto propertyToken = manager->observePropertyChanged("HIDPointerResolution", [](auto&) {});
    manager->startObservation();
    log.clear();
    system->invokeDeviceMatchingCallbackRaw(nullptr, mouse);
    system->invokeDeviceMatchingCallbackRaw(manager.get(), nullptr);
    system->invokeEventCallbackRaw(nullptr, mouse, std::make_shared<HidEvent>());
    system->invokeEventCallbackRaw(manager.get(), mouse, nullptr);
    system->invokeRemovalCallbackRaw(nullptr, mouse);
    system->invokePropertyChangedCallbackRaw(manager.get(), QString(), HidPropertyValue());
    EXPECT_EQ(log.lines(),
              QStringList({
                  "PointerDeviceManager: Error: context is nil in device matching block",
                  "PointerDeviceManager: Error: serviceClient is nil in device matching block",
                  "PointerDeviceManager: Event callback called with nil context",
                  "PointerDeviceManager: Event callback called with nil client or event",
                  "PointerDeviceManager: Error: context is nil in removal block",
              }));

    manager->stopObservation();
    log.clear();
    system->invokeDeviceMatchingCallbackRaw(manager.get(), mouse);
    system->invokeEventCallbackRaw(manager.get(), mouse, std::make_shared<HidEvent>());
    system->invokePropertyChangedCallbackRaw(manager.get(), "HIDPointerResolution",
                                             HidPropertyValue());
    EXPECT_EQ(log.lines(), QStringList({
                               "PointerDeviceManager: Manager eventSystemClient is nil during "
                               "device matching, ignoring",
                               "PointerDeviceManager: Manager eventSystemClient is nil during "
                               "event callback, ignoring",
                               "PointerDeviceManager: Manager eventSystemClient is nil during "
                               "property change callback, ignoring",
                           }));
}
