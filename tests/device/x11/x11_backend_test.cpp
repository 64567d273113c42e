// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The XInput2 backend against an Xvfb of each test's own: which devices it offers, how it
// reports them coming and going, how it behaves when the server misbehaves or goes away;
// resolution and acceleration written through the boundary, what reads back, what other
// programs see in the X properties, and what is put back.
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "device/pointer_ranges.h"
#include "device/restore_journal.h"
#include "device/x11/x11_backend.h"
#include "support/log_capture.h"
#include "support/main_loop.h"
#include "support/required_programs.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <vector>

#include <unistd.h>

namespace veloquill::test {
namespace {
const QString kXvfbMouse = QStringLiteral("Xvfb mouse");
const QString kCoreXtestPointer = QStringLiteral("Virtual core XTEST pointer");
// The resolution of gain 1; half of it doubles the pointer's travel, twice it halves it.
constexpr double kNeutral = kNeutralFixedResolution / 65536.0;
constexpr double kDoubleTravel = kNeutral / 2;
constexpr double kHalfTravel = kNeutral * 2;

struct CallbackRecord
{
    std::vector<BackendDeviceRef> arrivals;
    std::vector<BackendDeviceRef> removals;
    std::vector<HidRegistration> registrations;

    void recordRemovalOf(const BackendDeviceRef& service)
    {
        registrations.push_back(
            service->onRemoved([this](const BackendDeviceRef& gone) { removals.push_back(gone); }));
    }
};

// Counts the main loop's wake-ups for a socket: only the backend's X connection is watched.
class WakeUpCounter : public QObject
{
public:
    WakeUpCounter() { QCoreApplication::instance()->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::SockAct;
        return false;
    }
};

// Every test gets its own Xvfb and a driver connection of its own to it; the backend under
// test connects by display name, with no DISPLAY in the environment.
class X11BackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}, {"xinput", "xinput"}}));
        qunsetenv("DISPLAY");
        m_server = std::make_unique<XvfbServer>();
        ASSERT_TRUE(m_server->isRunning()) << "Xvfb did not start";
        m_driver = std::make_unique<XDriver>(m_server->displayName());
    }

    QString displayName() const { return m_server->displayName(); }
    XDriver& driver() { return *m_driver; }
    XvfbServer& server() { return *m_server; }
    // Where the backends of this test keep their originals, never the user's own directory.
    QString journalDirectory() const { return m_journalDirectory.path(); }
    // Before stopping the server: Xlib ends a process whose connection breaks, unless told
    // otherwise as the backend does.
    void closeDriver() { m_driver.reset(); }

    std::shared_ptr<X11Backend> makeSystem(bool includeVirtualDevices = false)
    {
        auto system = std::make_shared<X11Backend>(
            X11BackendOptions{displayName(), includeVirtualDevices, journalDirectory()});
        EXPECT_TRUE(system->isConnected()) << system->failureReason().toStdString();
        return system;
    }
    static std::unique_ptr<DeviceWatch> makeClient(X11Backend& system, CallbackRecord& record)
    {
        auto client = system.watchDevices();
        record.registrations.push_back(client->onDeviceAdded(
            [&record](const BackendDeviceRef& service) { record.arrivals.push_back(service); }));
        client->start();
        return client;
    }
    void startClient(bool includeVirtualDevices = false)
    {
        system = makeSystem(includeVirtualDevices);
        client = makeClient(*system, record);
    }
    static QStringList serviceNames(DeviceWatch& client)
    {
        QStringList names;
        for (const auto& service : client.devices().value_or(std::vector<BackendDeviceRef>{}))
            names.append(service->deviceIdentity().name.value_or(QString()));
        return names;
    }
    static BackendDeviceRef serviceNamed(DeviceWatch& client, const QString& name)
    {
        for (const auto& service : client.devices().value_or(std::vector<BackendDeviceRef>{}))
            if (service->deviceIdentity().name == name)
                return service;
        return nullptr;
    }

private:
    QTemporaryDir m_journalDirectory;
    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<XDriver> m_driver;

protected:
    // Declared after the server, so they go before it.
    std::shared_ptr<X11Backend> system;
    CallbackRecord record;
    std::unique_ptr<DeviceWatch> client;
};

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

    startClient(true);
    EXPECT_TRUE(system->canControlPointerDevices());
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

const QString kMatrix = QStringLiteral("Coordinate Transformation Matrix");
const QString kDeceleration = QStringLiteral("Device Accel Constant Deceleration");
const QString kProfile = QStringLiteral("Device Accel Profile");
const QString kScaling = QStringLiteral("Device Accel Velocity Scaling");
const QString kLibinputSpeed = QStringLiteral("libinput Accel Speed");
const QString kLibinputProfile = QStringLiteral("libinput Accel Profile Enabled");
const QString kCustomPoints = QStringLiteral("libinput Accel Custom Motion Points");

QStringList matrixOf(const QString& scale)
{
    const QString zero = QStringLiteral("0.000000");
    return {scale, zero, zero, zero, scale, zero, zero, zero, QStringLiteral("1.000000")};
}

double asWritten(double value)
{
    return std::trunc(value * 65536) / 65536;
}

class X11Properties : public X11BackendTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(X11BackendTest::SetUp());
        startClient(true);
    }

    PointerDeviceRef device(const QString& name)
    {
        return PointerDevice::create(serviceNamed(*client, name));
    }
    QStringList seen(const QString& deviceName, const QString& property)
    {
        return xinputListProps(displayName(), driver().deviceId(deviceName))[property];
    }
    QString journalPath() const
    {
        return journalDirectory() + "/veloquill-restore-_" + displayName().mid(1) + ".json";
    }
    QByteArray journal() const
    {
        QFile file(journalPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeJournal(const QByteArray& content) const
    {
        QFile file(journalPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    // A profile only a driver of its own provides: Xvfb refuses it with BadValue.
    void journalAProfileXvfbRefuses() const
    {
        writeJournal(journal().replace("\"count\":1,\"data\":\"AAAAAA==\"",
                                       "\"count\":1,\"data\":\"AQAAAA==\""));
    }
    static QByteArray floatsBase64(const std::vector<float>& values)
    {
        return QByteArray(reinterpret_cast<const char*>(values.data()),
                          static_cast<qsizetype>(values.size() * sizeof(float)))
            .toBase64();
    }
    // Makes the core XTEST pointer look like a device driven by libinput, with the custom profile
    // (libinput 1.23 or later) or without.
    void giveLibinputProperties(bool custom = false)
    {
        const int id = driver().deviceId(kCoreXtestPointer);
        driver().setFloatProperty(id, kLibinputSpeed, {0.0f});
        driver().setIntegerProperty(id, QStringLiteral("libinput Accel Profiles Available"), 8,
                                    custom ? std::vector<int>{1, 1, 1} : std::vector<int>{1, 1});
        driver().setIntegerProperty(id, kLibinputProfile, 8,
                                    custom ? std::vector<int>{1, 0, 0} : std::vector<int>{1, 0});
        if (custom) {
            driver().setFloatProperty(id, kCustomPoints, {0.0f, 1.0f});
            driver().setFloatProperty(id, QStringLiteral("libinput Accel Custom Motion Step"),
                                      {1.0f});
        }
        startClient(true); // its first-seen values include them
    }
};

// The speed goes through the driver's own settings: the X server's constant deceleration, or
// libinput's speed under the flat profile. The matrix is never written: a rotation the user
// set stays, and the speed acts on top of it.
TEST_F(X11Properties, ResolutionGoesThroughTheDriversSpeedReadsBackAndLeavesTheMatrixAlone)
{
    giveLibinputProperties();
    const QStringList rotated{"0.000000", "-1.000000", "0.000000", "1.000000", "0.000000",
                              "0.000000", "0.000000",  "0.000000", "1.000000"};
    driver().setFloatProperty(driver().deviceId(kXvfbMouse), kMatrix, {0, -1, 0, 1, 0, 0, 0, 0, 1});
    // The device; the setting another program sees; its values for double and half travel.
    using Case = std::tuple<QString, QString, QString, QString>;
    for (const auto& [name, setting, doubled, halved] : {
             Case{kXvfbMouse, kDeceleration, "0.500000", "2.000000"},
             Case{kCoreXtestPointer, kLibinputSpeed, "1.000000", "-0.500000"},
         }) {
        SCOPED_TRACE(name.toStdString());
        const auto pointer = device(name);
        EXPECT_EQ(pointer->pointerResolution(), kNeutral);
        pointer->setPointerAcceleration(-1.0);
        pointer->setPointerResolution(kDoubleTravel);
        EXPECT_EQ(seen(name, setting), QStringList{doubled});
        pointer->setPointerResolution(kHalfTravel);
        EXPECT_EQ(seen(name, setting), QStringList{halved});
        // Values a float cannot hold exactly still read back as written.
        for (double resolution : {77.41935483870967, 1995.0, 1234.5678, 40.0, 1200.0}) {
            pointer->setPointerResolution(resolution);
            EXPECT_EQ(pointer->pointerResolution(), asWritten(resolution)) << resolution;
        }
        EXPECT_EQ(pointer->client()->restoreFirstSeen(), RestoreOutcome::Restored);
        EXPECT_EQ(pointer->pointerResolution(), kNeutral);
        EXPECT_EQ(pointer->pointerAcceleration(), 1.0);
    }
    EXPECT_EQ(seen(kXvfbMouse, kMatrix), rotated);
    EXPECT_EQ(seen(kXvfbMouse, kProfile), QStringList{QStringLiteral("0")});
    EXPECT_EQ(seen(kCoreXtestPointer, kLibinputProfile), (QStringList{"1", "0"}));
}

TEST_F(X11Properties, AccelerationRoundTripsThroughTheDriversOwnSettingsAndShapesTheCurve)
{
    // The device; the setting another program sees and what it shows for 5.75; what its profile
    // shows for acceleration off, then on again.
    using Case = std::tuple<QString, QString, QStringList, QStringList, QStringList>;
    const std::vector<Case> cases{
        {kXvfbMouse, "feedback", {"2850/950 4"}, {"-1"}, {"0"}},
        // Without the custom profile the amount cannot reach the device: adaptive, speed kept.
        {kCoreXtestPointer, kLibinputSpeed, {"0.000000"}, {"0", "1"}, {"1", "0"}},
        // With it, the amount goes into the custom curve the profile switches to.
        {kCoreXtestPointer, kLibinputProfile, {"0", "0", "1"}, {"0", "1", "0"}, {"0", "0", "1"}},
    };
    for (const auto& [name, setting, forFiveSeventyFive, off, on] : cases) {
        const bool custom = setting == kLibinputProfile;
        SCOPED_TRACE(name.toStdString() + (custom ? " custom" : ""));
        const QString profile = name == kXvfbMouse ? kProfile : kLibinputProfile;
        if (name == kCoreXtestPointer)
            giveLibinputProperties(custom);
        const auto pointer = device(name);
        // The curve the window draws follows the driver and the profiles it offers.
        using Kind = PointerCurveModel::Kind;
        const auto model = pointer->curveModel();
        ASSERT_TRUE(model);
        EXPECT_EQ(model->kind, name == kXvfbMouse ? Kind::X11Server
                               : custom           ? Kind::X11Libinput
                                                  : Kind::Libinput);
        EXPECT_EQ(model->speedShapesAcceleration, name == kCoreXtestPointer && !custom);
        EXPECT_EQ(pointer->pointerAcceleration(), 1.0); // the drivers' defaults
        pointer->setPointerAcceleration(5.75);
        EXPECT_EQ(setting == "feedback"
                      ? QStringList{driver().pointerFeedback(driver().deviceId(name))}
                      : seen(name, setting),
                  forFiveSeventyFive);
        for (double acceleration : {0.0, 0.6875, 1.00001, 5.75, 13.37, 20.0}) {
            pointer->setPointerAcceleration(acceleration);
            EXPECT_EQ(pointer->pointerAcceleration(), asWritten(acceleration)) << acceleration;
        }
        pointer->setPointerAcceleration(-1.0);
        EXPECT_EQ(pointer->pointerAcceleration(), -1.0);
        EXPECT_EQ(seen(name, profile), off);
        pointer->setPointerAcceleration(2.5);
        EXPECT_EQ(pointer->pointerAcceleration(), 2.5);
        EXPECT_EQ(seen(name, profile), on);
        EXPECT_EQ(pointer->pointerResolution(), kNeutral) << "the speed is not the amount's";
    }
    // The custom curve is the gain times the amount's shape: at slow speeds the gain alone.
    const auto pointer = device(kCoreXtestPointer);
    pointer->setPointerResolution(kDoubleTravel);
    const QStringList points = seen(kCoreXtestPointer, kCustomPoints);
    ASSERT_EQ(points.size(), 64);
    EXPECT_NEAR(points[10].toDouble(), 2 * 10 * 0.032, 1e-4);
    EXPECT_EQ(pointer->pointerAcceleration(), 2.5);
}

TEST_F(X11Properties, DefaultsAreLibinputsDefaultPropertiesTheServersOwnOrNone)
{
    const auto mouse = device(kXvfbMouse);
    auto xtest = device(kCoreXtestPointer);
    EXPECT_EQ(mouse->defaultPointerResolution(), kNeutral);
    EXPECT_EQ(mouse->defaultPointerAcceleration(), 1.0);
    EXPECT_EQ(xtest->defaultPointerAcceleration(), std::nullopt);
    EXPECT_EQ(xtest->defaultPointerResolution(), std::nullopt);
    giveLibinputProperties(); // without default properties
    xtest = device(kCoreXtestPointer);
    EXPECT_EQ(xtest->defaultPointerAcceleration(), std::nullopt);
    EXPECT_EQ(xtest->defaultPointerResolution(), kNeutral);
    const int id = driver().deviceId(kCoreXtestPointer);
    // The default speed is the resolution's; the amount is libinput's own (1) or off.
    const std::tuple<std::vector<int>, float, double, std::int32_t> rows[] = {
        {{1, 0, 0}, -0.25f, 1.0, 6765005}, {{0, 1}, 0.5f, -1.0, 3382503}};
    for (const auto& [profile, speed, acceleration, resolution] : rows) {
        driver().setIntegerProperty(id, kLibinputProfile + " Default", 8, profile);
        driver().setFloatProperty(id, kLibinputSpeed + " Default", {speed});
        EXPECT_EQ(xtest->defaultPointerAcceleration(), acceleration);
        EXPECT_EQ(xtest->defaultPointerResolution(), resolution / 65536.0);
    }
}

TEST_F(X11Properties, ChangesByAnotherProgramReadBack)
{
    const int id = driver().deviceId(kXvfbMouse);
    driver().setFloatProperty(id, kDeceleration, {0.5f});
    driver().setIntegerProperty(id, kProfile, 32, {-1});
    const auto mouse = device(kXvfbMouse);
    EXPECT_EQ(mouse->pointerResolution(), kDoubleTravel);
    EXPECT_EQ(mouse->pointerAcceleration(), -1.0);

    // Reads are served from what was read and written, never past another program's change:
    // one right after this program's own write reads back at once, the main loop not run.
    mouse->setPointerResolution(kHalfTravel);
    EXPECT_EQ(mouse->pointerResolution(), kHalfTravel);
    driver().setFloatProperty(id, kDeceleration, {0.5f});
    EXPECT_EQ(mouse->pointerResolution(), kDoubleTravel);
    // libinput's speed is the gain less 1; another program's custom curve has the gain as its
    // slope at the first step.
    giveLibinputProperties(true);
    const int xtest = driver().deviceId(kCoreXtestPointer);
    const auto pointer = device(kCoreXtestPointer);
    driver().setFloatProperty(xtest, kLibinputSpeed, {0.5f});
    EXPECT_EQ(pointer->pointerResolution(), 3382503 / 65536.0);
    driver().setIntegerProperty(xtest, kLibinputProfile, 8, {0, 0, 1});
    driver().setFloatProperty(xtest, kCustomPoints, {0.0f, 0.75f});
    driver().setFloatProperty(xtest, QStringLiteral("libinput Accel Custom Motion Step"), {0.5f});
    EXPECT_EQ(pointer->pointerResolution(), 3382503 / 65536.0);
}

// The backend selects no input events: the server does not even send them, so the program
// never wakes up as the pointer moves.
TEST_F(X11Properties, AnObservingProgramNeverWakesAsThePointerMoves)
{
    const auto mouse = serviceNamed(*client, kXvfbMouse);
    PointerDevice::create(mouse)->setPointerResolution(kDoubleTravel);
    mouse->settings();
    drainMainLoop();
    WakeUpCounter wakeUps;
    driver().moveThroughDevice(driver().deviceId(kXvfbMouse), 1, 0, 10000);
    runMainLoopFor(100);
    EXPECT_EQ(wakeUps.count, 0);
}

// Originals an earlier run left are input, each property checked on its own. A journal of a
// server no one can vouch for is kept aside whole; a property the backend never writes, of
// another format than the device's, a size that overflows, or a value the server never holds
// is skipped and the rest put back; one left on a server that has verifiably ended is removed.
// Whatever is not put back is named with the file it is kept in. (A journal that cannot be
// read or is cut short: the end-to-end --restore test.)
TEST_F(X11Properties, JournalOfAnEarlierRunIsCheckedPropertyByProperty)
{
    device(kXvfbMouse)->setPointerResolution(kHalfTravel); // journals the identity matrix too
    // As an older version scaled it: a journal naming the matrix as written puts it back.
    driver().setFloatProperty(driver().deviceId(kXvfbMouse), kMatrix,
                              {0.5, 0, 0, 0, 0.5, 0, 0, 0, 1});
    const QString path = journalPath();
    const QByteArray written = journal();
    const QByteArray display = "\"display\":\"" + displayName().toUtf8() + '"';
    const qsizetype server = written.indexOf("\"server\":\"");
    const QByteArray identity = floatsBase64({1, 0, 0, 0, 1, 0, 0, 0, 1});
    ASSERT_TRUE(written.contains(display) && written.contains(identity) && server > 0);
    const auto matrix = [&](std::vector<float> values) {
        return QByteArray(written).replace(identity, floatsBase64(values));
    };
    enum class Kept
    {
        Aside,   // nothing put back, the file kept aside
        Skipped, // the deceleration put back, the named property kept aside
        Removed,
        Trusted
    };
    const float nan = std::nanf("");
    const QByteArray matrixName = "\"Coordinate Transformation Matrix\"";
    // The journal; what becomes of it; what is named as not put back.
    const std::vector<std::tuple<QByteArray, Kept, QByteArray>> cases{
        {QByteArray(written).replace(display, "\"display\":\":99\""), Kept::Aside, "Xvfb mouse"},
        // Written before servers were told by their process, on a server without its id.
        {written.left(server) + "\"server\":\"ended\"}", Kept::Aside, "Xvfb mouse"},
        {QByteArray(written).replace("\"Device Accel Profile\"", "\"Device Enabled\""),
         Kept::Skipped, "\"Device Enabled\""},
        {QByteArray(written).replace("\"count\":1,\"data\":\"AAAAAA==\",\"format\":32",
                                     "\"count\":4,\"data\":\"AAAAAA==\",\"format\":8"),
         Kept::Skipped, "\"Device Accel Profile\""},
        {QByteArray(written).replace("\"count\":9,", "\"count\":1073741826,"), Kept::Skipped,
         matrixName},
        {matrix({nan, 0, 0, 0, 1, 0, 0, 0, 1}), Kept::Skipped, matrixName},
        {matrix({0, 0, 0, 0, 0, 0, 0, 0, 1}), Kept::Skipped, matrixName},
        {matrix({1e30f, 0, 0, 0, 1e30f, 0, 0, 0, 1}), Kept::Skipped, matrixName},
        {written.left(server) + "\"server\":\"ended 0/2/1\"}", Kept::Removed, ""}, // another boot
        // A server process that has ended: this pid started at another time.
        {written.left(server) + "\"server\":\"ended " + bootMark().toLatin1() + '/' +
             QByteArray::number(::getpid()) + "/1\"}",
         Kept::Removed, ""},
        // As an earlier version wrote it: every property counts as this program's own.
        {QByteArray(written)
             .replace(",\"written\":null", "")
             .replace(",\"written\":\"" + floatsBase64({2}) + '"', "")
             .replace("{\"devices\":[",
                      "{\"devices\":[{\"id\":99,\"name\":\"Gone\",\"properties\":[]},"),
         Kept::Trusted, ""},
    };
    int keptAside = 0;
    for (const auto& [content, kept, named] : cases) {
        SCOPED_TRACE(content.toStdString());
        writeJournal(content);
        startClient();
        const auto mouse = serviceNamed(*client, kXvfbMouse);
        const bool putBack = kept == Kept::Trusted || kept == Kept::Skipped;
        EXPECT_EQ(mouse->restoreFirstSeen(),
                  putBack ? RestoreOutcome::Restored : RestoreOutcome::Untouched);
        EXPECT_EQ(seen(kXvfbMouse, kMatrix),
                  matrixOf(kept == Kept::Trusted ? "1.000000" : "0.500000"));
        EXPECT_EQ(seen(kXvfbMouse, kDeceleration), QStringList{putBack ? "1.000000" : "2.000000"});
        const QString aside =
            path + ".unreadable" + (keptAside ? "." + QString::number(keptAside) : "");
        const QString notPutBack = system->notPutBack().join("; ");
        if (kept == Kept::Aside || kept == Kept::Skipped) {
            ++keptAside;
            QFile copy(aside);
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            EXPECT_EQ(copy.readAll(), content);
            EXPECT_TRUE(notPutBack.contains(named) && notPutBack.endsWith(" (in " + aside + ")"))
                << notPutBack.toStdString();
        } else {
            EXPECT_EQ(notPutBack, QString());
        }
        EXPECT_FALSE(QFile::exists(path)); // restored, its entry went with the journal
        driver().setFloatProperty(driver().deviceId(kXvfbMouse), kDeceleration, {2});
    }
}

// Another client deleting the server's id from the root window leaves the journal trusted:
// the server is still known by its process, and the id goes back with the next write.
TEST_F(X11Properties, ServerIdRemovedByAnotherClientKeepsTheJournal)
{
    const auto mouse = device(kXvfbMouse);
    mouse->setPointerResolution(kHalfTravel);
    const QByteArray before = journal();
    driver().deleteRootProperty(QStringLiteral("_VELOQUILL_SERVER"));
    startClient();
    const auto laterMouse = device(kXvfbMouse);
    laterMouse->setPointerResolution(kDoubleTravel);
    EXPECT_EQ(journal().mid(journal().indexOf("\"server\"")),
              before.mid(before.indexOf("\"server\"")));
    EXPECT_EQ(laterMouse->client()->restoreFirstSeen(), RestoreOutcome::Restored);
    EXPECT_EQ(seen(kXvfbMouse, kDeceleration), QStringList{"1.000000"});
}

TEST_F(X11Properties, RestoreTheServerRefusesKeepsItsEntryAndFails)
{
    device(kXvfbMouse)->setPointerAcceleration(-1.0); // "Device Accel Profile" -1
    journalAProfileXvfbRefuses();
    PointerDeviceManager manager(makeSystem());
    manager.startObservation();
    // Switching acceleration on asks for that profile too: refused, the -1 stays on record.
    manager.devices().back()->setPointerAcceleration(2.5);
    EXPECT_TRUE(journal().contains("\"written\":\"/////w==\""));
    EXPECT_FALSE(manager.restoreInitialPointerSettings());
    EXPECT_TRUE(journal().contains("\"Device Accel Profile\""));
    EXPECT_EQ(seen(kXvfbMouse, kProfile), QStringList{"-1"});
}

// Devices that are not listed go back together, all writes sent before one wait: a refusal
// still names its device and property, the others are back and leave the journal.
TEST_F(X11Properties, UnlistedDevicesGoBackInOnePassAndARefusalNamesItsDevice)
{
    for (const QString master : {"Other", "Removed"}) {
        driver().addMaster(master);
        driver().setFloatProperty(driver().deviceId(master + " XTEST pointer"), kLibinputSpeed,
                                  {0.5f});
    }
    // A run that finds the devices with their speed, as a driver's devices come.
    startClient(true);
    for (const QString name : {"Other XTEST pointer", "Removed XTEST pointer"})
        device(name)->setPointerResolution(kHalfTravel);
    device(kXvfbMouse)->setPointerAcceleration(-1.0);
    // The server keeps nothing of a removed device, so its entry goes at once; a disabled one
    // still exists, and its entry stays.
    ASSERT_TRUE(journal().contains("Removed XTEST pointer"));
    driver().setDeviceEnabled(driver().deviceId(kXvfbMouse), false);
    driver().removeMaster(QStringLiteral("Removed"));
    ASSERT_TRUE(runMainLoopUntil([&] { return !journal().contains("Removed XTEST pointer"); }));
    journalAProfileXvfbRefuses();
    PointerDeviceManager manager(makeSystem());
    manager.startObservation();
    LogCapture log;
    EXPECT_FALSE(manager.restoreInitialPointerSettings());
    EXPECT_EQ(log.lines()
                  .filter("refused to put back \"Device Accel Profile\" on device")
                  .filter("\"Xvfb mouse\"")
                  .size(),
              1);
    EXPECT_EQ(log.lines()
                  .filter("put back device")
                  .filter("\"Other XTEST pointer\", which is not listed")
                  .size(),
              1);
    EXPECT_EQ(seen("Other XTEST pointer", kLibinputSpeed), QStringList{"0.500000"});
    EXPECT_TRUE(journal().contains("Xvfb mouse"));
    EXPECT_FALSE(journal().contains("Other XTEST pointer"));
}

TEST_F(X11Properties, QuitKeepsAnotherProgramsChangeAndNeverWritesWhatItDidNotWrite)
{
    PointerDeviceManager manager(system);
    manager.startObservation();
    const auto mouse = device(kXvfbMouse);
    const int id = driver().deviceId(kXvfbMouse);
    mouse->setPointerResolution(kHalfTravel);
    mouse->setPointerAcceleration(5.75); // the feedback and velocity scaling only
    EXPECT_EQ(seen(kXvfbMouse, kScaling), QStringList{"15.000000"});
    driver().setFloatProperty(id, kDeceleration, {3});
    driver().setIntegerProperty(id, kProfile, 32, {2});
    LogCapture log;
    EXPECT_TRUE(manager.restoreInitialPointerSettings());
    EXPECT_EQ(seen(kXvfbMouse, kDeceleration), QStringList{"3.000000"});
    EXPECT_EQ(driver().pointerFeedback(id), "2/1 4");
    EXPECT_EQ(seen(kXvfbMouse, kScaling), QStringList{"10.000000"});
    EXPECT_EQ(seen(kXvfbMouse, kProfile), QStringList{"2"});
    EXPECT_EQ(seen(kXvfbMouse, kMatrix), matrixOf("1.000000"));
    EXPECT_EQ(
        log.lines().filter("keeps what another program set since: \"Device Accel Constant").size(),
        1);

    // The global pointer control (xset m) sets every device's feedback: theirs stays too.
    mouse->setPointerAcceleration(20);
    driver().setPointerControl(3, 1, 5);
    EXPECT_TRUE(manager.restoreInitialPointerSettings());
    EXPECT_EQ(driver().pointerFeedback(id), "3/1 5");
}

} // namespace
} // namespace veloquill::test
