// Which devices the backend offers, how it reports them coming and going, and how it
// behaves when the X server misbehaves or goes away.
#include "x11_backend_fixture.h"

#include "device/hid_keys.h"
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

namespace veloquill::test {
namespace {

const QString kXvfbMouse = QStringLiteral("Xvfb mouse");
const QString kCoreXtestPointer = QStringLiteral("Virtual core XTEST pointer");

using X11Discovery = X11BackendTest;

TEST_F(X11Discovery, XvfbMouseIsListedAsAMouseWithItsStableID)
{
    auto system = makeSystem();
    CallbackRecord record;
    auto client = makeClient(*system, record);

    EXPECT_EQ(serviceNames(*client), QStringList{kXvfbMouse});
    const auto service = serviceNamed(*client, kXvfbMouse);
    ASSERT_TRUE(service);
    EXPECT_TRUE(service->conformsTo(1, 2));
    EXPECT_TRUE(service->conformsTo(1, 1));
    EXPECT_FALSE(service->conformsTo(1, 6));
    EXPECT_EQ(service->copyProperty(HidKey::ButtonCount).toInteger(), 3);
    // Xvfb's mouse has neither a product id nor a device node.
    EXPECT_TRUE(service->copyProperty(HidKey::VendorID).isNull());
    EXPECT_TRUE(service->copyProperty(HidKey::SerialNumber).isNull());
    EXPECT_EQ(PointerDevice::create(service)->stableID(), QStringLiteral("0-0-Xvfb mouse-N/A"));
    EXPECT_EQ(client->copyServiceForRegistryID(*service->registryID()), service);
}

TEST_F(X11Discovery, XtestDevicesAreListedOnlyWhenVirtualDevicesAreIncluded)
{
    CallbackRecord record;
    auto system = makeSystem();
    EXPECT_FALSE(serviceNames(*makeClient(*system, record)).contains(kCoreXtestPointer));
    auto withVirtual = makeSystem(true);
    EXPECT_EQ(serviceNames(*makeClient(*withVirtual, record)),
              (QStringList{kCoreXtestPointer, kXvfbMouse}));
}

TEST_F(X11Discovery, ProductIdAndDeviceNodeGiveVendorProductAndSerial)
{
    auto system = makeSystem(true);
    CallbackRecord record;
    auto client = makeClient(*system, record);
    const int id = driver().deviceId(kCoreXtestPointer);
    driver().setIntegerProperty(id, QStringLiteral("Device Product ID"), 32, {0x046d, 0xc077});
    // A node udev knows that has no serial number.
    driver().setStringProperty(id, QStringLiteral("Device Node"), QStringLiteral("/dev/null"));

    const auto device = PointerDevice::create(serviceNamed(*client, kCoreXtestPointer));
    EXPECT_EQ(device->vendorID(), 0x046d);
    EXPECT_EQ(device->productID(), 0xc077);
    EXPECT_EQ(device->serialNumber(), std::nullopt);
    EXPECT_EQ(device->stableID(), QStringLiteral("1133-49271-Virtual core XTEST pointer-N/A"));
}

TEST_F(X11Discovery, HotpluggedXtestPointerArrivesAndLeaves)
{
    auto system = makeSystem(true);
    CallbackRecord record;
    auto client = makeClient(*system, record);

    driver().addMaster(QStringLiteral("Hotplug"));
    ASSERT_TRUE(waitFor([&] { return !record.arrivals.empty(); }));
    ASSERT_EQ(record.arrivals.size(), 1u);
    const HidServiceClientRef arrived = record.arrivals.front();
    EXPECT_EQ(arrived->copyProperty(HidKey::Product).toText(),
              QStringLiteral("Hotplug XTEST pointer"));
    EXPECT_EQ(serviceNamed(*client, QStringLiteral("Hotplug XTEST pointer")), arrived);
    arrived->registerRemovalCallback(&CallbackRecord::removed, &record, nullptr);

    driver().removeMaster(QStringLiteral("Hotplug"));
    ASSERT_TRUE(waitFor([&] { return !record.removals.empty(); }));
    EXPECT_EQ(record.removals, std::vector<HidServiceClientRef>{arrived});
    EXPECT_FALSE(serviceNames(*client).contains(QStringLiteral("Hotplug XTEST pointer")));
    // Its settings are no longer there to read; its identity still is, for the layer to
    // find the device it listed.
    EXPECT_TRUE(arrived->copyProperty(HidKey::PointerResolution).isNull());
    EXPECT_EQ(arrived->copyProperty(HidKey::Product).toText(),
              QStringLiteral("Hotplug XTEST pointer"));
}

TEST_F(X11Discovery, HotpluggedVirtualPointerIsNotReportedWithoutTheOption)
{
    auto system = makeSystem();
    CallbackRecord record;
    auto client = makeClient(*system, record);
    const auto mouse = serviceNamed(*client, kXvfbMouse);

    driver().addMaster(QStringLiteral("Hidden"));
    mouse->copyProperty(HidKey::PointerResolution); // a round trip: the change has been read
    drainMainLoop();
    EXPECT_TRUE(record.arrivals.empty());
    EXPECT_EQ(serviceNames(*client), QStringList{kXvfbMouse});
}

TEST_F(X11Discovery, DisabledDeviceLeavesAndComesBackAsANewService)
{
    auto system = makeSystem();
    CallbackRecord record;
    auto client = makeClient(*system, record);
    const auto before = serviceNamed(*client, kXvfbMouse);
    before->registerRemovalCallback(&CallbackRecord::removed, &record, nullptr);
    const int id = driver().deviceId(kXvfbMouse);

    driver().setDeviceEnabled(id, false);
    ASSERT_TRUE(waitFor([&] { return !record.removals.empty(); }));
    EXPECT_TRUE(serviceNames(*client).isEmpty());

    driver().setDeviceEnabled(id, true);
    ASSERT_TRUE(waitFor([&] { return !record.arrivals.empty(); }));
    const auto after = serviceNamed(*client, kXvfbMouse);
    EXPECT_EQ(record.arrivals, std::vector<HidServiceClientRef>{after});
    EXPECT_NE(after, before);
    EXPECT_NE(after->registryID(), before->registryID());
}

TEST_F(X11Discovery, ClientHearsNothingWhileUnscheduledOrAfterItIsGone)
{
    auto system = makeSystem(true);
    CallbackRecord record;
    auto client = makeClient(*system, record);
    client->unscheduleFromMainLoop();
    driver().addMaster(QStringLiteral("Quiet"));
    serviceNamed(*client, kXvfbMouse)->copyProperty(HidKey::PointerResolution);
    drainMainLoop();
    EXPECT_TRUE(record.arrivals.empty());

    client.reset();
    driver().removeMaster(QStringLiteral("Quiet"));
    driver().addMaster(QStringLiteral("Later"));
    auto observer = makeClient(*system, record); // a second client proves the change was read
    ASSERT_TRUE(waitFor([&] { return !record.arrivals.empty(); }));
    EXPECT_EQ(record.arrivals.size(), 1u);
}

// Arrival callbacks that end other registrations, or their own client, mid-delivery.
struct Meddler
{
    std::unique_ptr<HidEventSystemClient> client;
    int firstCalls = 0;
    int secondCalls = 0;
    bool destroyClient = false;

    static void first(void* target, void*, const HidServiceClientRef&)
    {
        auto* self = static_cast<Meddler*>(target);
        ++self->firstCalls;
        if (self->destroyClient)
            self->client.reset();
        else
            self->client->unregisterDeviceMatchingCallback(&second, self, nullptr);
    }
    static void second(void* target, void*, const HidServiceClientRef&)
    {
        ++static_cast<Meddler*>(target)->secondCalls;
    }
};

TEST_F(X11Discovery, ArrivalCallbackEndedMidDeliveryIsNotCalled)
{
    auto system = makeSystem(true);
    Meddler unregistering, destroying;
    destroying.destroyClient = true;
    for (Meddler* meddler : {&unregistering, &destroying}) {
        meddler->client = system->createClient();
        meddler->client->registerDeviceMatchingCallback(&Meddler::first, meddler, nullptr);
        meddler->client->registerDeviceMatchingCallback(&Meddler::second, meddler, nullptr);
        meddler->client->scheduleWithMainLoop();
    }

    driver().addMaster(QStringLiteral("Meddled"));
    ASSERT_TRUE(waitFor([&] { return unregistering.firstCalls > 0 && destroying.firstCalls > 0; }));
    drainMainLoop();
    EXPECT_EQ(unregistering.secondCalls, 0);
    EXPECT_EQ(destroying.secondCalls, 0);
    EXPECT_EQ(destroying.client, nullptr);
}

TEST_F(X11Discovery, PropertyOfUnexpectedTypeIsLoggedAndUnreadable)
{
    auto system = makeSystem(true);
    CallbackRecord record;
    auto client = makeClient(*system, record);
    const int id = driver().deviceId(kCoreXtestPointer);
    driver().setStringProperty(id, QStringLiteral("Device Product ID"), QStringLiteral("1133"));

    LogCapture log;
    EXPECT_TRUE(serviceNamed(*client, kCoreXtestPointer)->copyProperty(HidKey::VendorID).isNull());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral("X11HidEventSystem: property \"Device Product "
                                         "ID\" of device ") +
                          QString::number(id) +
                          QStringLiteral(" is STRING/8 with 4 items, expected INTEGER "
                                         "with 2 items; ignored")});
}

TEST_F(X11Discovery, DeviceVanishingBetweenTwoRequestsIsLoggedNotFatal)
{
    auto system = makeSystem(true);
    CallbackRecord record;
    auto client = makeClient(*system, record);
    driver().addMaster(QStringLiteral("Brief"));
    ASSERT_TRUE(waitFor([&] { return !record.arrivals.empty(); }));
    const auto brief = record.arrivals.front();

    LogCapture log;
    driver().removeMaster(QStringLiteral("Brief"));
    // The backend has not heard of the removal yet and asks the server about the device.
    EXPECT_TRUE(brief->copyProperty(HidKey::PointerResolution).isNull());
    brief->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(200 * 65536));
    const QStringList errors = log.linesStartingWith(QStringLiteral("X11HidEventSystem: X error "));
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("BadDevice"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].endsWith(QStringLiteral(" ignored")));

    ASSERT_TRUE(waitFor(
        [&] { return !serviceNames(*client).contains(QStringLiteral("Brief XTEST pointer")); }));
    EXPECT_TRUE(system->isConnected());
    EXPECT_EQ(
        serviceNamed(*client, kXvfbMouse)->copyProperty(HidKey::PointerResolution).toInteger(),
        400 * 65536);
}

TEST_F(X11Discovery, TrustedOnARealServerWithXInput22)
{
    auto system = makeSystem();
    LogCapture log;
    EXPECT_TRUE(system->canControlPointerDevices());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(X11Discovery, NotTrustedWithoutADisplayOrOnXwaylandStandIns)
{
    LogCapture log;
    X11HidEventSystem nowhere; // no name and no DISPLAY
    EXPECT_FALSE(nowhere.isConnected());
    EXPECT_EQ(nowhere.createClient(), nullptr);
    EXPECT_FALSE(nowhere.canControlPointerDevices());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral("X11HidEventSystem: cannot control pointer "
                                         "devices: no X display (DISPLAY is not set)")});

    // Xwayland names its stand-in devices "xwayland-…".
    driver().addMaster(QStringLiteral("xwayland-pointer:13"));
    auto system = makeSystem();
    log.clear();
    EXPECT_FALSE(system->canControlPointerDevices());
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().value(0).contains(QStringLiteral("is Xwayland")));
    // The settings window asks every second: the reason is said once.
    EXPECT_FALSE(system->canControlPointerDevices());
    EXPECT_EQ(log.lines().size(), 1);
}

TEST_F(X11Discovery, LostConnectionIsReportedOnceAndNothingBreaks)
{
    auto system = makeSystem();
    CallbackRecord record;
    auto client = makeClient(*system, record);
    const auto mouse = serviceNamed(*client, kXvfbMouse);
    int lost = 0;
    QObject::connect(system.get(), &X11HidEventSystem::connectionLost, [&] { ++lost; });

    LogCapture log;
    closeDriver();
    server().stop();
    ASSERT_TRUE(waitFor([&] { return lost > 0; }));
    drainMainLoop();
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(system->isConnected());
    EXPECT_TRUE(mouse->copyProperty(HidKey::PointerResolution).isNull());
    EXPECT_EQ(mouse->copyProperty(HidKey::Product).toText(), kXvfbMouse);
    mouse->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(200 * 65536));
    EXPECT_EQ(client->copyServices(), std::nullopt);
    EXPECT_EQ(system->createClient(), nullptr);
    EXPECT_EQ(system->copySystemParameter(HidKey::PointerAcceleration).outcome,
              HidSystemParameterRead::Outcome::NoSystemService);
    EXPECT_TRUE(
        log.contains(QStringLiteral("X11HidEventSystem: lost the connection to X display \"") +
                     displayName() + QLatin1Char('"')));
}

TEST_F(X11Discovery, ManagerHearsHotplugAndListsEachDeviceOnceAcrossStopAndStart)
{
    auto system = makeSystem(true);
    PointerDeviceManager manager(system);
    LogCapture log;
    manager.startObservation();
    manager.stopObservation();
    manager.startObservation();
    EXPECT_EQ(manager.devices().size(), 2u);

    driver().addMaster(QStringLiteral("Plugged"));
    ASSERT_TRUE(waitFor([&] { return manager.devices().size() == 3; }));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "PointerDeviceManager: Appended device to @Published devices array: Plugged XTEST "
        "pointer (stableID: 0-0-Plugged XTEST pointer-N/A)")));

    driver().removeMaster(QStringLiteral("Plugged"));
    ASSERT_TRUE(waitFor([&] { return manager.devices().size() == 2; }));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "PointerDeviceManager: Removed device from @Published devices array: Plugged XTEST "
        "pointer (stableID: 0-0-Plugged XTEST pointer-N/A)")));
    manager.stopObservation();
}

TEST_F(X11Discovery, ServerGoneUnnoticedDoesNotEndTheProcessOnShutdown)
{
    auto system = makeSystem();
    closeDriver();
    server().stop();
    LogCapture log;
    system.reset(); // closing meets the broken connection
    SUCCEED();
}

} // namespace
} // namespace veloquill::test
