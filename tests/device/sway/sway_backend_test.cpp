// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The Sway backend against a stand-in Sway: the commands it writes, which devices
// it offers and how they come and go, the mapping onto Sway's libinput settings, restore, a
// config reload, refused commands and hostile names.
// Sway's own parser is checked in real_sway_quoting_test.cpp.
#include "stand_in_sway.h"

#include "device/pointer_device_manager.h"
#include "device/sway/sway_backend.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cmath>

namespace veloquill::test {
namespace {

class SwayBackend : public ::testing::Test
{
protected:
    void startClient(std::size_t devices)
    {
        system = std::make_shared<veloquill::SwayBackend>(
            SwayBackendOptions{sway.socketPath(), journal.path()});
        client = system->watchDevices();
        arrivals = client->onDeviceAdded([this](const auto&) { ++arrived; });
        client->start();
        ASSERT_TRUE(runMainLoopUntil([&] { return client->devices()->size() == devices; }));
    }
    BackendDeviceRef service(std::size_t index) { return client->devices()->at(index); }
    bool gainSoon(std::size_t index, double gain)
    {
        return runMainLoopUntil(
            [&] { return std::abs(service(index)->settings().gain.value_or(-1) - gain) < 1e-9; });
    }

    StandInSway sway;
    QTemporaryDir journal;
    std::shared_ptr<veloquill::SwayBackend> system;
    std::unique_ptr<DeviceWatch> client;
    HidRegistration arrivals;
    int arrived = 0;
};

TEST_F(SwayBackend, ListsPointersAndTouchpadsByIdentityAndFollowsHotplug)
{
    sway.addDevice("Zono X", 4660, 171);
    sway.addDevice("Pad", 3, 4, 0, "adaptive", "touchpad");
    ASSERT_NO_FATAL_FAILURE(startClient(2)); // not the keyboard
    const auto zono = service(0);
    bool removed = false;
    const auto removal = zono->onRemoved([&](const auto&) { removed = true; });
    sway.removeDevice("4660:171:Zono_X");
    sway.addDevice("Ball", 5, 6);
    ASSERT_TRUE(runMainLoopUntil([&] { return removed && arrived == 3; }));
    EXPECT_EQ(service(1)->deviceIdentity().name, "Ball");
    EXPECT_TRUE(sway.ran.isEmpty()); // nothing is sent while nothing changes
}

TEST_F(SwayBackend, RestorePutsBackWhatStillHoldsItsWritesAlsoAfterACrash)
{
    sway.addDevice("Zono X", 1, 2, 0.3, "flat");
    sway.addDevice("Ball", 3, 4, -0.2);
    ASSERT_NO_FATAL_FAILURE(startClient(2));
    service(0)->setGain(1.0);
    service(0)->setAcceleration(1.0);
    service(1)->setGain(1.0);
    ASSERT_TRUE(gainSoon(1, 1.0));
    sway.set("3:4:Ball", "accel_speed", 0.7); // another program's since: heard
    ASSERT_TRUE(gainSoon(1, 1.7));
    client.reset(); // a crash: the originals are only in the journal now
    system.reset();
    LogCapture log;
    system = std::make_shared<veloquill::SwayBackend>(
        SwayBackendOptions{sway.socketPath(), journal.path()});
    PointerDeviceManager manager(system);
    manager.startObservation();
    EXPECT_TRUE(manager.restoreInitialPointerSettings());
    EXPECT_EQ(sway.libinput("1:2:Zono_X", "accel_speed"), 0.3);
    EXPECT_EQ(sway.libinput("1:2:Zono_X", "accel_profile"), "flat");
    EXPECT_EQ(sway.libinput("3:4:Ball", "accel_speed").toDouble(), 0.7);
    EXPECT_EQ(log.lines().filter("keeps what another program set since: pointer_accel").size(), 1);
}

TEST_F(SwayBackend, AReloadMakesTheConfigsValuesFirstSeenAndAnnouncesEveryDeviceAgain)
{
    sway.addDevice("Zono X", 1, 2, 0.3);
    ASSERT_NO_FATAL_FAILURE(startClient(1));
    for (const double gain : {0.5, 0.25, 1.0}) // a drag
        service(0)->setGain(gain);
    service(0)->setAccelerationOff(); // on its own way, not held back behind the speed's
    ASSERT_TRUE(gainSoon(0, 1.0));
    EXPECT_EQ(sway.ran.size(), 3); // the first speed, the profile, the last speed once answered
    sway.reload();
    ASSERT_TRUE(runMainLoopUntil([&] { return arrived == 2; }));
    EXPECT_TRUE(QDir(journal.path()).isEmpty());
    EXPECT_EQ(service(0)->restoreFirstSeen(), RestoreOutcome::Untouched);
    EXPECT_EQ(sway.libinput("1:2:Zono_X", "accel_speed").toDouble(), 0.3);
}

TEST_F(SwayBackend, AHostileNameNeverRunsACommandAndARefusalIsOneLogLine)
{
    LogCapture log;
    sway.addDevice(R"(Evil' ; exec rm, "x" \ $mod)", 1, 2);
    sway.addDevice("Line\nbreak", 3, 4);
    sway.addDevice(R"(Trail \)", 5, 6); // a closing quote after it would be escaped
    ASSERT_NO_FATAL_FAILURE(startClient(3));
    for (std::size_t device = 0; device < 3; ++device)
        service(device)->setGain(1.0);
    sway.refuse = "accel_profile";
    service(0)->setAccelerationOff();
    ASSERT_TRUE(runMainLoopUntil([&] { return log.lines().filter("refused").size() == 1; }));
    EXPECT_EQ(sway.ran, QStringList{R"(1:2:Evil'_;_exec_rm,_"x"_\_$mod|pointer_accel|0.000000)"});
    EXPECT_TRUE(sway.foreign.isEmpty());
    EXPECT_EQ(log.lines().filter("never written").size(), 2);
    EXPECT_EQ(log.lines().filter("refused").first(),
              R"(SwayHidEventSystem: Sway refused 'input '1:2:Evil'"'"'_;_exec_rm,_"x"_\_$$mod' )"
              R"(accel_profile flat': Invalid "accel_profile"\nvalue)");
    // The refused profile is not this program's: the restore leaves it.
    sway.refuse.clear();
    EXPECT_EQ(service(0)->restoreFirstSeen(), RestoreOutcome::Restored);
    EXPECT_EQ(sway.ran.size(), 1); // the speed was 0 already
    EXPECT_TRUE(log.lines().filter("keeps what another program").isEmpty()); // nor another's
}

} // namespace
} // namespace veloquill::test
