// Resolution and acceleration written through the boundary: what reads back, what other
// programs see in the X properties, and what the pointer really does.
#include "x11_backend_fixture.h"

#include "device/hid_keys.h"
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <QFile>

#include <cmath>

namespace veloquill::test {
namespace {

const QString kMatrix = QStringLiteral("Coordinate Transformation Matrix");
const QString kProfile = QStringLiteral("Device Accel Profile");
const QString kScaling = QStringLiteral("Device Accel Velocity Scaling");
const QString kLibinputSpeed = QStringLiteral("libinput Accel Speed");
const QString kLibinputProfile = QStringLiteral("libinput Accel Profile Enabled");

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
    // Makes the core XTEST pointer look like a device driven by libinput.
    void giveLibinputProperties()
    {
        const int id = driver().deviceId(kCoreXtestPointer);
        driver().setFloatProperty(id, kLibinputSpeed, {0.0f});
        driver().setIntegerProperty(id, QStringLiteral("libinput Accel Profiles Available"), 8,
                                    {1, 1});
        driver().setIntegerProperty(id, kLibinputProfile, 8, {1, 0});
    }
};

TEST_F(X11Properties, ResolutionReadsBackAsWrittenOthersSeeTheMatrixAndNothingPutsItBack)
{
    const auto mouse = device(kXvfbMouse);
    EXPECT_EQ(mouse->pointerResolution(), kNeutral);
    mouse->setPointerResolution(kDoubleTravel);
    EXPECT_EQ(seen(kXvfbMouse, kMatrix), matrixOf(QStringLiteral("2.000000")));
    mouse->setPointerResolution(kHalfTravel);
    EXPECT_EQ(seen(kXvfbMouse, kMatrix), matrixOf(QStringLiteral("0.500000")));

    // Values a float matrix cannot hold exactly still read back as written.
    for (double resolution : {77.41935483870967, 1995.0, 10.0, 1234.5678, 40.0, 1200.0}) {
        mouse->setPointerResolution(resolution);
        EXPECT_EQ(mouse->pointerResolution(), asWritten(resolution)) << resolution;
    }

    // Writing nothing puts the device back as first seen.
    mouse->setPointerAcceleration(-1.0);
    mouse->setPointerResolution(std::nullopt);
    mouse->setPointerAcceleration(std::nullopt);
    EXPECT_EQ(seen(kXvfbMouse, kMatrix), matrixOf(QStringLiteral("1.000000")));
    EXPECT_EQ(seen(kXvfbMouse, kProfile), QStringList{QStringLiteral("0")});
    EXPECT_EQ(seen(kXvfbMouse, kScaling), QStringList{QStringLiteral("10.000000")});
    EXPECT_EQ(mouse->pointerResolution(), kNeutral);
}

TEST_F(X11Properties, AccelerationRoundTripsThroughTheDriversOwnSettings)
{
    giveLibinputProperties();
    // The device; the setting another program sees and what it shows for 5.75; the profile and
    // what it shows for acceleration off, then on again.
    using Case = std::tuple<QString, QString, QString, QString, QStringList, QStringList>;
    const std::vector<Case> cases{
        {kXvfbMouse, kScaling, "33.750000", kProfile, {"-1"}, {"0"}},
        {kCoreXtestPointer, kLibinputSpeed, "0.250000", kLibinputProfile, {"0", "1"}, {"1", "0"}},
    };
    for (const auto& [name, setting, forFiveSeventyFive, profile, off, on] : cases) {
        SCOPED_TRACE(name.toStdString());
        const auto pointer = device(name);
        EXPECT_EQ(pointer->pointerAcceleration(), 1.0); // the drivers' defaults
        EXPECT_EQ(pointer->useLinearScalingMouseAcceleration(), 0);
        EXPECT_EQ(pointer->pointerAccelerationType(), HidKey::PointerAcceleration);
        pointer->setPointerAcceleration(5.75);
        EXPECT_EQ(seen(name, setting), QStringList{forFiveSeventyFive});
        for (double acceleration : {0.0, 0.6875, 1.00001, 5.75, 13.37, 20.0}) {
            pointer->setPointerAcceleration(acceleration);
            EXPECT_EQ(pointer->pointerAcceleration(), asWritten(acceleration)) << acceleration;
        }
        pointer->setPointerAcceleration(-1.0);
        EXPECT_EQ(pointer->pointerAcceleration(), -1.0);
        EXPECT_EQ(pointer->useLinearScalingMouseAcceleration(), 1);
        EXPECT_EQ(seen(name, profile), off);
        pointer->setPointerAcceleration(2.5);
        EXPECT_EQ(pointer->pointerAcceleration(), 2.5);
        EXPECT_EQ(seen(name, profile), on);
    }
}

TEST_F(X11Properties, ChangesByAnyProgramReachTheKeysRegisteredForThemAndReadBack)
{
    record.recordChangesOf(*client, HidKey::PointerResolution);
    record.recordChangesOf(*client, HidKey::UseLinearScalingMouseAcceleration);
    const int id = driver().deviceId(kXvfbMouse);
    driver().setFloatProperty(id, kMatrix, {2, 0, 0, 0, 2, 0, 0, 0, 1});
    driver().setIntegerProperty(id, kProfile, 32, {-1});

    ASSERT_TRUE(runMainLoopUntil([&] { return record.propertyChanges.size() >= 2; }));
    drainMainLoop();
    EXPECT_EQ(record.propertyChanges,
              (QStringList{HidKey::PointerResolution, HidKey::UseLinearScalingMouseAcceleration}));
    const auto mouse = device(kXvfbMouse);
    EXPECT_EQ(mouse->pointerResolution(), kDoubleTravel);
    EXPECT_EQ(mouse->pointerAcceleration(), -1.0);
}

// With acceleration off the X server moves the pointer by the device's motion times the
// matrix scale: half the neutral resolution doubles the travel, twice it halves it.
TEST_F(X11Properties, ResolutionReallyScalesThePointersTravel)
{
    const auto mouse = device(kXvfbMouse);
    const int id = driver().deviceId(kXvfbMouse);
    mouse->setPointerAcceleration(-1.0);
    mouse->setPointerResolution(kDoubleTravel);
    const auto travel = [&](int dx, int dy, QPoint expected) {
        driver().placePointer(300, 300);
        driver().moveThroughDevice(id, dx, dy);
        // The server handles fake input after answering the request that sent it.
        runMainLoopUntil([&] { return driver().pointerPosition() == expected; });
        return driver().pointerPosition();
    };
    EXPECT_EQ(travel(100, 0, QPoint(500, 300)), QPoint(500, 300));
    mouse->setPointerResolution(kHalfTravel);
    EXPECT_EQ(travel(100, 40, QPoint(350, 320)), QPoint(350, 320));
}

TEST_F(X11Properties,
       ManagerListsHotplugOnceAcrossRestartsAndPutsBackAPointerWithoutAccelerationAtQuit)
{
    PointerDeviceManager manager(system);
    LogCapture log;
    manager.startObservation();
    manager.stopObservation();
    manager.startObservation();
    driver().addMaster(QStringLiteral("Plugged"));
    ASSERT_TRUE(runMainLoopUntil([&] { return manager.devices().size() == 3; }));
    EXPECT_EQ(manager.devices().back()->name(), QStringLiteral("Plugged XTEST pointer"));
    driver().removeMaster(QStringLiteral("Plugged"));
    ASSERT_TRUE(runMainLoopUntil([&] { return manager.devices().size() == 2; }));

    // The Xvfb mouse's restore is checked end to end, at quit and on signals.
    for (const auto& listed : manager.devices())
        listed->setPointerResolution(77.41935483870967);
    manager.restoreInitialPointerSettings();
    EXPECT_EQ(seen(kCoreXtestPointer, kMatrix), matrixOf(QStringLiteral("1.000000")));
}

// Originals an earlier run left are trusted whole or not at all: a journal that cannot be
// read, is cut short or belongs to another display is kept aside under a name of its own; one
// left on an X server that has ended since is removed (its devices are gone with it); a device
// it names that is not present is skipped. Each is named in one line.
TEST_F(X11Properties, JournalOfAnEarlierRunIsTrustedWholeOrKeptAside)
{
    device(kXvfbMouse)->setPointerResolution(kHalfTravel); // journals the identity matrix
    const QString path =
        journalDirectory() + "/veloquill-restore-_" + displayName().mid(1) + ".json";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    file.close();
    const QByteArray display = "\"display\":\"" + displayName().toUtf8() + '"';
    const qsizetype server = written.indexOf("\"server\":\"");
    ASSERT_TRUE(written.contains(display) && written.startsWith("{\"devices\":[") && server > 0);
    enum class Kept
    {
        Aside,
        Removed,
        Trusted
    };
    const std::vector<std::pair<QByteArray, Kept>> cases{
        {"\x01not a journal\xff", Kept::Aside},
        {written.left(written.size() / 2), Kept::Aside},
        {QByteArray(written).replace(display, "\"display\":\":99\""), Kept::Aside},
        {written.left(server) + "\"server\":\"ended\"}", Kept::Removed},
        {QByteArray(written).replace(
             "{\"devices\":[", "{\"devices\":[{\"id\":99,\"name\":\"Gone\",\"properties\":[]},"),
         Kept::Trusted},
    };
    int keptAside = 0;
    for (const auto& [content, kept] : cases) {
        SCOPED_TRACE(content.toStdString());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        LogCapture log;
        auto later = std::make_shared<X11HidEventSystem>(
            X11HidEventSystemOptions{displayName(), false, journalDirectory()});
        CallbackRecord laterRecord;
        auto laterClient = makeClient(*later, laterRecord);
        const auto mouse = serviceNamed(*laterClient, kXvfbMouse);
        EXPECT_EQ(log.lines().filter(path).size(), 1);
        EXPECT_EQ(mouse->restoreFirstSeen(), kept == Kept::Trusted ? HidRestoreOutcome::Restored
                                                                   : HidRestoreOutcome::Untouched);
        if (kept == Kept::Aside) {
            QFile aside(path + ".unreadable" +
                        (keptAside++ ? "." + QString::number(keptAside - 1) : ""));
            ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
            EXPECT_EQ(aside.readAll(), content);
        }
        EXPECT_EQ(QFile::exists(path), kept == Kept::Trusted);
    }
    EXPECT_EQ(seen(kXvfbMouse, kMatrix), matrixOf(QStringLiteral("1.000000")));
}

} // namespace
} // namespace veloquill::test
