// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Which devices the backend offers, how it reports them coming and going, and how it
// behaves when the X server misbehaves or goes away.
#include "x11_backend_fixture.h"

#include "device/pointer_device.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <QFile>

namespace veloquill::test {
namespace {

using X11Discovery = X11BackendTest;

TEST_F(X11Discovery, XvfbMouseIsAMouseAndXtestDevicesAreListedOnlyWhenAskedForWithTheirIds)
{
    startClient();
    EXPECT_EQ(serviceNames(*client), QStringList{kXvfbMouse});
    const auto service = serviceNamed(*client, kXvfbMouse);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->deviceIdentity().buttonCount, 3);
    // Xvfb's mouse has neither a product id nor a device node.
    EXPECT_EQ(PointerDevice::create(service)->stableID(), QStringLiteral("0-0-Xvfb mouse-N/A"));

    auto withVirtual = makeSystem(true);
    CallbackRecord virtualRecord;
    const auto virtualClient = makeClient(*withVirtual, virtualRecord);
    EXPECT_EQ(serviceNames(*virtualClient), (QStringList{kCoreXtestPointer, kXvfbMouse}));
    // A product id and a node udev knows that has no serial number.
    const int id = driver().deviceId(kCoreXtestPointer);
    driver().setIntegerProperty(id, QStringLiteral("Device Product ID"), 32, {0x046d, 0xc077});
    driver().setStringProperty(id, QStringLiteral("Device Node"), QStringLiteral("/dev/null"));
    EXPECT_EQ(PointerDevice::create(serviceNamed(*virtualClient, kCoreXtestPointer))->stableID(),
              QStringLiteral("1133-49271-Virtual core XTEST pointer-N/A"));
    driver().addMaster(QStringLiteral("Hidden"));
    ASSERT_TRUE(runMainLoopUntil([&] { return !virtualRecord.arrivals.empty(); }));
    service->settings(); // a round trip: the change has been read
    drainMainLoop();
    EXPECT_TRUE(record.arrivals.empty());
    EXPECT_EQ(serviceNames(*client), QStringList{kXvfbMouse});
}

TEST_F(X11Discovery, HotpluggedOrDisabledDevicesLeaveAndComeBackAndRequestsAsTheyGoAreNotFatal)
{
    startClient(true);
    const QString name = QStringLiteral("Hotplug XTEST pointer");

    driver().addMaster(QStringLiteral("Hotplug"));
    ASSERT_TRUE(runMainLoopUntil([&] { return !record.arrivals.empty(); }));
    ASSERT_EQ(record.arrivals.size(), 1u);
    const BackendDeviceRef arrived = record.arrivals.front();
    EXPECT_EQ(serviceNamed(*client, name), arrived);
    record.recordRemovalOf(arrived);

    LogCapture log;
    driver().removeMaster(QStringLiteral("Hotplug"));
    // The backend has not heard of the removal yet and asks the server about the device.
    EXPECT_EQ(arrived->settings().gain, std::nullopt);
    arrived->setGain(2.0);
    // Each asks which settings the device has (libinput's, then the server's): the read once
    // for the speed and once for the amount, the write once.
    EXPECT_EQ(log.lines().filter(QStringLiteral("X11HidEventSystem: X error ")).size(), 6);

    ASSERT_TRUE(runMainLoopUntil([&] { return !record.removals.empty(); }));
    EXPECT_EQ(record.removals, std::vector<BackendDeviceRef>{arrived});
    EXPECT_FALSE(serviceNames(*client).contains(name));
    EXPECT_TRUE(system->isConnected());
    EXPECT_EQ(serviceNamed(*client, kXvfbMouse)->settings().gain, 1.0);
    // Its settings are no longer there to read; its identity still is, for the layer to
    // find the device it listed.
    EXPECT_EQ(arrived->settings().gain, std::nullopt);
    EXPECT_EQ(arrived->deviceIdentity().name, name);
    // A late registrant still hears of the removal, once.
    record.recordRemovalOf(arrived);
    ASSERT_TRUE(runMainLoopUntil([&] { return record.removals.size() == 2; }));

    // A disabled device leaves too, and comes back as a new service.
    const auto before = serviceNamed(*client, kXvfbMouse);
    record.recordRemovalOf(before);
    const int id = driver().deviceId(kXvfbMouse);
    driver().setDeviceEnabled(id, false);
    ASSERT_TRUE(runMainLoopUntil([&] { return record.removals.size() == 3; }));
    EXPECT_FALSE(serviceNames(*client).contains(kXvfbMouse));
    driver().setDeviceEnabled(id, true);
    ASSERT_TRUE(runMainLoopUntil([&] { return record.arrivals.size() == 2; }));
    EXPECT_EQ(record.arrivals.back(), serviceNamed(*client, kXvfbMouse));
    EXPECT_NE(record.arrivals.back(), before);
}

TEST_F(X11Discovery, CallbacksEndWithTheirRegistrationOrClient)
{
    startClient(true);
    client->stop();
    driver().addMaster(QStringLiteral("Quiet"));
    serviceNamed(*client, kXvfbMouse)->settings();
    drainMainLoop();
    EXPECT_TRUE(record.arrivals.empty());
    client.reset();

    // Arrival callbacks that, mid-delivery, end the next one's registration or destroy
    // their own client: the next one must not be called.
    std::unique_ptr<DeviceWatch> ending = system->watchDevices();
    std::unique_ptr<DeviceWatch> destroyed = system->watchDevices();
    int firstCalls = 0, laterCalls = 0;
    HidRegistration endingLater, destroyedLater;
    const auto later = [&](const BackendDeviceRef&) { ++laterCalls; };
    auto endingFirst = ending->onDeviceAdded([&](const BackendDeviceRef&) {
        ++firstCalls;
        endingLater.reset();
    });
    endingLater = ending->onDeviceAdded(later);
    auto destroyedFirst = destroyed->onDeviceAdded([&](const BackendDeviceRef&) {
        ++firstCalls;
        destroyed.reset();
    });
    destroyedLater = destroyed->onDeviceAdded(later);
    ending->start();
    destroyed->start();

    driver().removeMaster(QStringLiteral("Quiet"));
    driver().addMaster(QStringLiteral("Meddled"));
    ASSERT_TRUE(runMainLoopUntil([&] { return firstCalls == 2; }));
    drainMainLoop();
    EXPECT_EQ(laterCalls, 0);
}

// The backend's own log wording, pinned once; the transcript is kept beside this file.
// Trusted only on a real server; the settings window asks every second, so each reason
// not to be is said once. A lost connection is reported once and nothing breaks.
TEST_F(X11Discovery, LogTranscriptOfAMisbehavingServerThatGoesAway)
{
    LogCapture log;
    X11Backend nowhere; // no name and no DISPLAY
    EXPECT_EQ(nowhere.watchDevices(), nullptr);
    EXPECT_EQ(nowhere.controlUnavailableReason(), ControlUnavailableReason::DisplayLost);
    EXPECT_FALSE(nowhere.canControlPointerDevices());

    system = makeSystem(true);
    EXPECT_TRUE(system->canControlPointerDevices());
    client = makeClient(*system, record);
    const auto mouse = serviceNamed(*client, kXvfbMouse);
    const int id = driver().deviceId(kCoreXtestPointer);
    const auto pointer = PointerDevice::create(serviceNamed(*client, kCoreXtestPointer));
    pointer->setPointerAcceleration(2.0); // it has no acceleration settings: nothing changes
    EXPECT_EQ(pointer->pointerAcceleration(), std::nullopt);
    // A product id of another type than expected is unreadable.
    driver().setStringProperty(id, QStringLiteral("Device Product ID"), QStringLiteral("1133"));
    EXPECT_EQ(pointer->identity().vendorID, std::nullopt);
    driver().setFloatProperty(id, QStringLiteral("libinput Accel Speed"), {0.0f});
    driver().setIntegerProperty(id, QStringLiteral("libinput Accel Profiles Available"), 8, {1, 0});
    driver().setIntegerProperty(id, QStringLiteral("libinput Accel Profile Enabled"), 8, {1, 0});
    pointer->setPointerAcceleration(-1.0); // no flat profile: it cannot be switched off
    EXPECT_EQ(pointer->pointerAcceleration(), 1.0);
    // Xwayland names its stand-in devices "xwayland-…".
    driver().addMaster(QStringLiteral("xwayland-pointer:13"));
    EXPECT_EQ(system->controlUnavailableReason(), ControlUnavailableReason::WaylandSession);
    EXPECT_FALSE(system->canControlPointerDevices());
    int lost = 0;
    QObject::connect(system.get(), &X11Backend::connectionLost, [&] { ++lost; });
    closeDriver();
    server().stop();
    ASSERT_TRUE(runMainLoopUntil([&] { return lost > 0; }));
    drainMainLoop();
    QFile transcript(X11_LOG_TRANSCRIPT);
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    EXPECT_EQ((log.lines().join('\n') + '\n').toStdString(),
              QString::fromUtf8(transcript.readAll()).arg(displayName()).arg(id).toStdString());

    // Lost once, and nothing breaks.
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(system->isConnected());
    EXPECT_EQ(system->controlUnavailableReason(), ControlUnavailableReason::DisplayLost);
    EXPECT_EQ(mouse->settings().gain, std::nullopt);
    EXPECT_EQ(mouse->deviceIdentity().name, kXvfbMouse);
    mouse->setGain(2.0);
    EXPECT_EQ(client->devices(), std::nullopt);
    EXPECT_EQ(system->watchDevices(), nullptr);
}

} // namespace
} // namespace veloquill::test
