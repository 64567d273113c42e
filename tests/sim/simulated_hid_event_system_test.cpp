#include "sim/simulated_hid_event_system.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace veloquill::sim {
namespace {

using test::drainMainLoop;

const std::vector<HidMatchingDictionary> MouseOrPointer = {
    {{QStringLiteral("DeviceUsagePage"), 1}, {QStringLiteral("DeviceUsage"), 2}},
    {{QStringLiteral("DeviceUsagePage"), 1}, {QStringLiteral("DeviceUsage"), 1}},
};

// Stands where the device layer would: the target every callback is registered with.
struct Listener
{
    std::vector<HidServiceClientRef> arrivals;
    std::vector<HidServiceClientRef> removals;
    std::vector<std::pair<HidServiceClientRef, HidEvent>> events;
    std::vector<std::pair<QString, HidPropertyValue>> changes;

    static void arrived(void* target, void*, const HidServiceClientRef& service)
    {
        static_cast<Listener*>(target)->arrivals.push_back(service);
    }
    static void removed(void* target, void*, const HidServiceClientRef& service)
    {
        static_cast<Listener*>(target)->removals.push_back(service);
    }
    static void received(void* target, void*, const HidServiceClientRef& service,
                         const HidEventRef& event)
    {
        static_cast<Listener*>(target)->events.emplace_back(service, *event);
    }
    static void changed(void* target, void*, const QString& key, const HidPropertyValue& value)
    {
        static_cast<Listener*>(target)->changes.emplace_back(key, value);
    }
};

// A connected, scheduled client the way the device manager sets one up.
std::unique_ptr<HidEventSystemClient> connect(SimulatedHidEventSystem& system, Listener& listener)
{
    auto client = system.createClient();
    client->setMatchingMultiple(MouseOrPointer);
    client->registerDeviceMatchingCallback(&Listener::arrived, &listener, nullptr);
    client->registerEventCallback(&Listener::received, &listener, nullptr);
    client->setEventDeliveryEnabled(true);
    client->scheduleWithMainLoop();
    return client;
}

ServiceSpec keyboard()
{
    ServiceSpec spec;
    spec.properties[QStringLiteral("Product")] = HidPropertyValue::text(QStringLiteral("Keys"));
    spec.usages = {{1, 6}};
    return spec;
}

TEST(SimulatedHidEventSystem, ArrivalsReachMatchingScheduledClientsOnALaterTurn)
{
    SimulatedHidEventSystem system;
    Listener connected, unscheduled, unmatched;
    const auto client = connect(system, connected);
    auto idle = system.createClient();
    idle->setMatchingMultiple(MouseOrPointer);
    idle->registerDeviceMatchingCallback(&Listener::arrived, &unscheduled, nullptr);
    auto blind = system.createClient();
    blind->registerDeviceMatchingCallback(&Listener::arrived, &unmatched, nullptr);
    blind->scheduleWithMainLoop();

    const auto mouse = system.addService(ServiceSpec::mouse(QStringLiteral("Travel Mouse"), 1, 2));
    system.addService(keyboard());
    EXPECT_TRUE(connected.arrivals.empty());

    drainMainLoop();
    ASSERT_EQ(connected.arrivals.size(), 1u);
    EXPECT_EQ(connected.arrivals[0], mouse);
    EXPECT_TRUE(unscheduled.arrivals.empty());
    EXPECT_TRUE(unmatched.arrivals.empty());

    system.redeliverArrival(mouse);
    drainMainLoop();
    EXPECT_EQ(connected.arrivals.size(), 2u);
}

TEST(SimulatedHidEventSystem, QueuedWorkIsDroppedOnceItsRegistrationIsGone)
{
    SimulatedHidEventSystem system;
    Listener destroyed, unregistered, unscheduled;
    auto first = connect(system, destroyed);
    auto second = connect(system, unregistered);
    auto third = connect(system, unscheduled);
    first->registerPropertyChangedCallback(QStringLiteral("HIDPointerResolution"),
                                           &Listener::changed, &destroyed, nullptr);

    const auto mouse = system.addService(ServiceSpec::mouse(QStringLiteral("Travel Mouse"), 1, 2));
    system.emitEvent(mouse, {});
    mouse->setProperty(QStringLiteral("HIDPointerResolution"), HidPropertyValue::integer(1));
    first.reset();
    second->unregisterDeviceMatchingCallback(&Listener::arrived, &unregistered, nullptr);
    third->unscheduleFromMainLoop();
    third->scheduleWithMainLoop();
    drainMainLoop();

    EXPECT_TRUE(destroyed.arrivals.empty());
    EXPECT_TRUE(destroyed.events.empty());
    EXPECT_TRUE(destroyed.changes.empty());
    EXPECT_TRUE(unregistered.arrivals.empty());
    EXPECT_EQ(unregistered.events.size(), 1u);
    EXPECT_TRUE(unscheduled.arrivals.empty());
    EXPECT_TRUE(unscheduled.events.empty());
    EXPECT_EQ(system.clientCount(), 2);
}

TEST(SimulatedHidEventSystem, ServiceThatLeavesIsForgottenAndTellsItsRemovalCallbacksOnce)
{
    SimulatedHidEventSystem system;
    Listener listener, forgetful;
    const auto client = connect(system, listener);
    const auto mouse = system.addService(ServiceSpec::mouse(QStringLiteral("Travel Mouse"), 1, 2));
    const auto brief = system.addService(ServiceSpec::mouse(QStringLiteral("Brief"), 1, 3));
    drainMainLoop();
    mouse->registerRemovalCallback(&Listener::removed, &listener, nullptr);
    mouse->registerRemovalCallback(&Listener::removed, &forgetful, nullptr);
    mouse->unregisterRemovalCallbacks(&forgetful);

    system.removeService(mouse);
    system.removeService(mouse);
    EXPECT_TRUE(listener.removals.empty());
    EXPECT_EQ(client->copyServices()->size(), 1u);
    EXPECT_EQ(client->copyServiceForRegistryID(*mouse->registryID()), nullptr);
    drainMainLoop();
    ASSERT_EQ(listener.removals.size(), 1u);
    EXPECT_EQ(listener.removals[0], mouse);
    EXPECT_TRUE(forgetful.removals.empty());

    // Added and gone before the arrival was delivered: never reported.
    listener.arrivals.clear();
    system.removeService(system.addService(ServiceSpec::mouse(QStringLiteral("Blink"), 1, 4)));
    drainMainLoop();
    EXPECT_TRUE(listener.arrivals.empty());
    EXPECT_EQ(client->copyServices()->front(), brief);
}

TEST(SimulatedHidEventSystem, WritesAreRecordedAndEveryChangeIsReportedPerRegistration)
{
    SimulatedHidEventSystem system;
    Listener listener;
    const auto client = connect(system, listener);
    const QString key = QStringLiteral("HIDPointerAcceleration");
    client->registerPropertyChangedCallback(key, &Listener::changed, &listener, nullptr);
    client->registerPropertyChangedCallback(key, &Listener::changed, &listener, nullptr);
    const auto mouse = system.addService(ServiceSpec::mouse(QStringLiteral("Travel Mouse"), 1, 2));

    mouse->setProperty(key, HidPropertyValue::integer(65536));
    mouse->changePropertyExternally(key, HidPropertyValue::integer(0));
    mouse->setProperty(QStringLiteral("HIDPointerResolution"), HidPropertyValue());
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(mouse->writes(), (std::vector<PropertyWrite>{
                                   {key, HidPropertyValue::integer(65536)},
                                   {QStringLiteral("HIDPointerResolution"), HidPropertyValue()}}));
    EXPECT_EQ(mouse->copyProperty(key), HidPropertyValue::integer(0));
    EXPECT_TRUE(mouse->property(QStringLiteral("HIDPointerResolution")).isNull());

    drainMainLoop();
    using Change = std::pair<QString, HidPropertyValue>;
    EXPECT_EQ(listener.changes, (std::vector<Change>{{key, HidPropertyValue::integer(65536)},
                                                     {key, HidPropertyValue::integer(65536)},
                                                     {key, HidPropertyValue::integer(0)},
                                                     {key, HidPropertyValue::integer(0)}}));
    EXPECT_EQ(system.clients().front().propertyChangedRegistrations(key), 2);
}

TEST(SimulatedHidEventSystem, EventsCarryTheSendersRegistryIDWhileDeliveryIsEnabled)
{
    SimulatedHidEventSystem system;
    Listener listener;
    const auto client = connect(system, listener);
    const auto mouse = system.addService(ServiceSpec::mouse(QStringLiteral("Travel Mouse"), 1, 2));
    const auto keys = system.addService(keyboard());

    system.emitEvent(mouse, {.timestamp = 7, .deltaX = 2});
    system.emitEvent(keys, {});
    drainMainLoop();
    // Switched off with an event queued: it stays dropped though delivery is back on.
    system.emitEvent(mouse, {.timestamp = 8});
    client->setEventDeliveryEnabled(false);
    client->setEventDeliveryEnabled(true);
    drainMainLoop();
    client->setEventDeliveryEnabled(false);
    system.emitEvent(mouse, {.timestamp = 9});
    drainMainLoop();

    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].first, mouse);
    EXPECT_EQ(listener.events[0].second.senderID, *mouse->registryID());
    EXPECT_EQ(listener.events[0].second.deltaX, 2);
    EXPECT_EQ(client->copyServiceForRegistryID(listener.events[0].second.senderID), mouse);
    EXPECT_EQ(
        mouse->describe(),
        QStringLiteral("SimulatedService(id=%1, \"Travel Mouse\")").arg(*mouse->registryID()));
}

HidInputValue inputValue(std::int64_t integer)
{
    HidInputValue value;
    value.integerValue = integer;
    return value;
}

struct DeviceListener
{
    std::vector<HidInputValue> values;
    std::vector<std::vector<std::uint8_t>> reports;
    std::uint8_t buffer[4] = {};

    static void value(void* context, int, void*, const HidInputValue& value)
    {
        static_cast<DeviceListener*>(context)->values.push_back(value);
    }
    static void report(void* context, int, void*, int, std::uint32_t, const std::uint8_t* bytes,
                       std::size_t length)
    {
        static_cast<DeviceListener*>(context)->reports.emplace_back(bytes, bytes + length);
    }
};

TEST(SimulatedDevice, InputFlowsOnlyWhileOpenAndScheduled)
{
    SimulatedHidEventSystem system;
    const auto mouse = system.addService(ServiceSpec::mouse(QStringLiteral("Travel Mouse"), 1, 2));
    DeviceListener listener;
    const auto device = mouse->createDevice();
    device->registerInputValueCallback(&DeviceListener::value, &listener);
    device->registerInputReportCallback(listener.buffer, sizeof listener.buffer,
                                        &DeviceListener::report, &listener);
    const auto simulated = mouse->device();

    simulated->emitInputValue(inputValue(1));
    device->open();
    simulated->emitInputValue(inputValue(2));
    device->scheduleWithMainLoop();
    simulated->emitInputValue(inputValue(3));
    device->setInputDeliveryEnabled(true);
    simulated->emitInputValue(inputValue(4));
    simulated->emitReport({1, 2, 3, 4, 5, 6});
    EXPECT_TRUE(listener.values.empty());
    drainMainLoop();

    ASSERT_EQ(listener.values.size(), 1u);
    EXPECT_EQ(listener.values[0].integerValue, 4);
    EXPECT_EQ(listener.reports, (std::vector<std::vector<std::uint8_t>>{{1, 2, 3, 4}}));

    // Closed with input still queued, then opened again: the queued input is gone.
    simulated->emitInputValue(inputValue(5));
    device->close();
    device->open();
    drainMainLoop();
    EXPECT_EQ(listener.values.size(), 1u);

    ServiceSpec bare = keyboard();
    bare.hasDevice = false;
    EXPECT_EQ(system.addService(bare)->createDevice(), nullptr);
}

TEST(SimulatedHidEventSystem, FailuresAreTheTestsToChoose)
{
    SimulatedHidEventSystem system;
    Listener listener;
    const auto client = connect(system, listener);
    system.setCopyServicesFails(true);
    EXPECT_FALSE(client->copyServices().has_value());

    const auto parameter = system.copySystemParameter(QStringLiteral("HIDPointerAcceleration"));
    EXPECT_EQ(parameter.outcome, HidSystemParameterRead::Outcome::NoSystemService);
    system.setSystemParameterValue(QStringLiteral("HIDPointerAcceleration"),
                                   HidPropertyValue::integer(45056));
    EXPECT_EQ(system.copySystemParameter(QStringLiteral("HIDPointerAcceleration")).value,
              HidPropertyValue::integer(45056));

    system.setCreateClientFails(true);
    EXPECT_EQ(system.createClient(), nullptr);
    EXPECT_EQ(system.clientCount(), 1);
}

} // namespace
} // namespace veloquill::sim
