// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The Sway backend against a stand-in Sway: the framing and quoting it writes, which devices
// it offers and how they come and go, how speed and acceleration map onto Sway's libinput
// settings, what restore puts back, a config reload, refused commands and hostile names.
#include "stand_in_sway.h"

#include "device/hid_keys.h"
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "device/sway/sway_hid_event_system.h"
#include "device/sway/sway_ipc.h"
#include "support/fixed_point.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QDir>

namespace veloquill::test {
namespace {

constexpr std::int32_t kNeutral = 5073754; // the X11 backend's neutral resolution, 16.16
constexpr std::int32_t kOff = -65536;

double speedOf(const QJsonObject& device)
{
    return device["libinput"]["accel_speed"].toDouble();
}

QString profileOf(const QJsonObject& device)
{
    return device["libinput"]["accel_profile"].toString();
}

TEST(SwayIpc, FramesMessagesAndQuotesIdentifiersAsSwayReadsThem)
{
    QByteArray stream = sway::frame(100, "[]") + sway::frame(0x80000015u, "{}").left(15);
    sway::Message message;
    ASSERT_EQ(sway::takeMessage(stream, message), sway::Taken::Message);
    EXPECT_EQ(message.type, 100u);
    EXPECT_EQ(message.payload, "[]");
    EXPECT_EQ(sway::takeMessage(stream, message), sway::Taken::Incomplete);
    QByteArray garbled("i3-ipx");
    EXPECT_EQ(sway::takeMessage(garbled, message), sway::Taken::Garbled);

    const std::pair<QString, std::optional<QString>> rows[] = {
        {"1:2:Zono_X", R"("1:2:Zono_X")"},
        {R"(1:2:a"b\c)", R"("1:2:a\"b\\c")"},
        {"1:2:a\nexec x", std::nullopt},
        {QString("1:2:a") + QChar(0x2028), std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [identifier, quoted] : rows)
        EXPECT_EQ(sway::quoted(identifier), quoted) << identifier.toStdString();
}

class SwayBackend : public ::testing::Test
{
protected:
    void startClient(std::size_t devices)
    {
        system = std::make_shared<SwayHidEventSystem>(
            SwayHidEventSystemOptions{sway.socketPath(), journal.path()});
        client = system->createClient();
        arrivals = client->registerDeviceMatchingCallback(
            [this](const HidServiceClientRef&) { ++arrived; });
        client->scheduleWithMainLoop();
        ASSERT_TRUE(runMainLoopUntil([&] { return client->copyServices()->size() == devices; }));
    }

    HidServiceClientRef service(std::size_t index) { return client->copyServices()->at(index); }

    std::int64_t read(const HidServiceClientRef& s, const QString& key)
    {
        return s->copyProperty(key).toInteger().value_or(-1);
    }

    bool readsSoon(const HidServiceClientRef& s, const QString& key, std::int64_t value)
    {
        return runMainLoopUntil([&] { return read(s, key) == value; });
    }

    StandInSway sway;
    QTemporaryDir journal;
    std::shared_ptr<SwayHidEventSystem> system;
    std::unique_ptr<HidEventSystemClient> client;
    HidRegistration arrivals;
    int arrived = 0;
};

TEST_F(SwayBackend, ListsPointersAndTouchpadsByIdentityAndFollowsHotplug)
{
    sway.addDevice("Zono X", 4660, 171);
    sway.addDevice("Pad", 3, 4, 0, "adaptive", "touchpad");
    ASSERT_NO_FATAL_FAILURE(startClient(2)); // not the keyboard
    const auto zono = service(0);
    EXPECT_EQ(PointerDevice::create(zono)->stableID(), "4660-171-Zono X-N/A");
    EXPECT_TRUE(zono->conformsTo(1, 2) && !zono->conformsTo(1, 6));
    EXPECT_EQ(client->copyServiceForRegistryID(1), zono);
    EXPECT_TRUE(system->canControlPointerDevices());
    EXPECT_FALSE(system->supportsAccelerationAmount());

    bool removed = false;
    const auto removal = zono->registerRemovalCallback([&](const auto&) { removed = true; });
    sway.removeDevice("4660:171:Zono_X");
    sway.addDevice("Ball", 5, 6);
    ASSERT_TRUE(runMainLoopUntil([&] { return removed && arrived == 3; }));
    EXPECT_EQ(*service(1)->copyProperty(HidKey::Product).toText(), "Ball");
    EXPECT_TRUE(sway.foreign().isEmpty());
    EXPECT_TRUE(sway.ran().isEmpty()); // nothing is sent while nothing changes
}

TEST_F(SwayBackend, SpeedIsGainMinusOneAndAccelerationTheProfileBothWays)
{
    sway.addDevice("Zono X", 1, 2);
    ASSERT_NO_FATAL_FAILURE(startClient(1));
    const auto zono = service(0);
    const QString id = "1:2:Zono_X";
    // The resolution written, the speed Sway gets, the resolution read back.
    const std::tuple<std::int32_t, double, std::int32_t> rows[] = {
        {kNeutral, 0.0, kNeutral},
        {*toFixedPoint(1200.0), kNeutral / 78643200.0 - 1, *toFixedPoint(1200.0)},
        {*toFixedPoint(10.0), 1.0, kNeutral / 2}, // beyond libinput's range: clamped
    };
    for (const auto& [written, speed, readBack] : rows) {
        SCOPED_TRACE(written);
        zono->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(written));
        EXPECT_TRUE(readsSoon(zono, HidKey::PointerResolution, readBack));
        EXPECT_NEAR(speedOf(sway.device(id)), speed, 1e-6);
    }
    const std::tuple<QString, std::int64_t, QString> switches[] = {
        {HidKey::PointerAcceleration, kOff, "flat"},
        {HidKey::MouseAcceleration, 376832, "adaptive"},
        {HidKey::UseLinearScalingMouseAcceleration, 1, "flat"},
    };
    for (const auto& [key, written, profile] : switches) {
        zono->setProperty(key, HidPropertyValue::integer(written));
        EXPECT_TRUE(readsSoon(zono, HidKey::PointerAcceleration, profile == "flat" ? kOff : 65536));
        EXPECT_EQ(profileOf(sway.device(id)), profile);
    }
    // Another program's change is heard as a property change.
    int changes = 0;
    const auto token =
        client->registerPropertyChangedCallback(HidKey::PointerResolution, [&] { ++changes; });
    sway.set(id, "accel_speed", -0.5);
    EXPECT_TRUE(readsSoon(zono, HidKey::PointerResolution, kNeutral * 2));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sway.ran().first(), id + "|pointer_accel|0.000000");
}

TEST_F(SwayBackend, RestorePutsBackWhatStillHoldsItsWritesAlsoAfterACrash)
{
    sway.addDevice("Zono X", 1, 2, 0.3, "flat");
    sway.addDevice("Ball", 3, 4, -0.2);
    ASSERT_NO_FATAL_FAILURE(startClient(2));
    service(0)->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(kNeutral));
    service(0)->setProperty(HidKey::PointerAcceleration, HidPropertyValue::integer(65536));
    service(1)->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(kNeutral));
    ASSERT_TRUE(readsSoon(service(1), HidKey::PointerResolution, kNeutral));
    sway.set("3:4:Ball", "accel_speed", 0.7); // another program's since
    ASSERT_TRUE(readsSoon(service(1), HidKey::PointerResolution, kNeutral * 10 / 17));
    client.reset(); // a crash: the originals are only in the journal now
    system.reset();
    LogCapture log;
    system = std::make_shared<SwayHidEventSystem>(
        SwayHidEventSystemOptions{sway.socketPath(), journal.path()});
    PointerDeviceManager manager(system);
    manager.startObservation();
    EXPECT_TRUE(manager.restoreInitialPointerSettings());
    EXPECT_DOUBLE_EQ(speedOf(sway.device("1:2:Zono_X")), 0.3);
    EXPECT_EQ(profileOf(sway.device("1:2:Zono_X")), "flat");
    EXPECT_DOUBLE_EQ(speedOf(sway.device("3:4:Ball")), 0.7);
    EXPECT_TRUE(log.lines().filter("keeps what another program set since: pointer_accel").size() ==
                1);
    EXPECT_TRUE(QDir(journal.path()).isEmpty());
    manager.stopObservation();
}

TEST_F(SwayBackend, AReloadMakesTheConfigsValuesFirstSeenAndAnnouncesEveryDeviceAgain)
{
    sway.addDevice("Zono X", 1, 2, 0.3);
    ASSERT_NO_FATAL_FAILURE(startClient(1));
    service(0)->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(kNeutral));
    ASSERT_TRUE(readsSoon(service(0), HidKey::PointerResolution, kNeutral));
    const auto before = service(0);
    sway.reload();
    ASSERT_TRUE(runMainLoopUntil([&] { return arrived == 2; }));
    EXPECT_NE(service(0), before);
    EXPECT_TRUE(QDir(journal.path()).isEmpty());
    EXPECT_EQ(service(0)->restoreFirstSeen(), HidRestoreOutcome::Untouched);
    EXPECT_EQ(sway.ran().size(), 1);
}

TEST_F(SwayBackend, AHostileNameNeverRunsACommandAndARefusalIsOneLogLine)
{
    LogCapture log;
    sway.addDevice(R"(Evil" ; exec rm, x \)", 1, 2);
    sway.addDevice("Line\nbreak", 3, 4);
    ASSERT_NO_FATAL_FAILURE(startClient(2));
    for (std::size_t i = 0; i < 2; ++i)
        service(i)->setProperty(HidKey::PointerResolution, HidPropertyValue::integer(kNeutral));
    sway.refuse = "accel_profile";
    service(0)->setProperty(HidKey::PointerAcceleration, HidPropertyValue::integer(kOff));
    ASSERT_TRUE(runMainLoopUntil([&] { return log.lines().filter("refused").size() == 1; }));
    EXPECT_EQ(sway.ran(), QStringList{R"(1:2:Evil"_;_exec_rm,_x_\|pointer_accel|0.000000)"});
    EXPECT_TRUE(sway.foreign().isEmpty());
    EXPECT_EQ(log.lines().filter("never written").size(), 1);
    EXPECT_EQ(
        log.lines().filter("refused").first(),
        R"(SwayHidEventSystem: Sway refused 'input "1:2:Evil\"_;_exec_rm,_x_\\" accel_profile )"
        R"(flat': Invalid "accel_profile"\nvalue)");
    // The refused profile is not this program's: the restore leaves it.
    sway.refuse.clear();
    EXPECT_EQ(service(0)->restoreFirstSeen(), HidRestoreOutcome::Restored);
    EXPECT_EQ(sway.ran().size(), 1); // the speed was 0 already
}

} // namespace
} // namespace veloquill::test
