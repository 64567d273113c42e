// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// udev's pointing devices on a umockdev testbed: which nodes are listed, and their arrivals.
#include "device/udev_pointer_devices.h"
#include "gnome_test_bed.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

namespace veloquill::gnome {
namespace {

class UdevPointers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!bed.active())
            GTEST_SKIP() << "needs umockdev's preload: run under umockdev-wrapper";
    }
    QByteArray add(QByteArray n, const char* name, const char* m, const char* m2 = "ID_INPUT_MOUSE")
    {
        return bed.add(n, name, 0x46d, n.toUInt(), m, m2);
    }
    test::PointerTestBed bed;
};

TEST_F(UdevPointers, listsEventNodesOfPointingDevicesWithKindAndIdentity)
{
    add("1", "Mouse", "ID_INPUT_MOUSE");
    add("2", "Ball", "ID_INPUT_TRACKBALL");
    add("3", "Pad", "ID_INPUT_TOUCHPAD");
    add("4", "Stick", "ID_INPUT_POINTINGSTICK");
    add("5", "Keys", "ID_INPUT_KEYBOARD", "ID_INPUT");
    umockdev_testbed_set_property(bed.get(), "/sys/devices/input1", "ID_SERIAL_SHORT", "SN1");
    UdevPointerDevices devices;
    ASSERT_TRUE(devices.start());
    const std::vector<UdevPointerDevice> expected{
        {"event1", "Mouse", 0x46d, 1, "SN1", DeviceKind::Mouse},
        {"event2", "Ball", 0x46d, 2, {}, DeviceKind::Trackball},
        {"event3", "Pad", 0x46d, 3, {}, DeviceKind::Touchpad},
        {"event4", "Stick", 0x46d, 4, {}, DeviceKind::PointingStick},
    };
    EXPECT_EQ(devices.devices(), expected);
}

TEST_F(UdevPointers, followsArrivalsAndRemovals)
{
    UdevPointerDevices devices;
    ASSERT_TRUE(devices.start());
    QStringList seen;
    using Devices = UdevPointerDevices;
    QObject::connect(&devices, &Devices::deviceAdded, [&](auto& d) { seen << "+" + d.sysName; });
    QObject::connect(&devices, &Devices::deviceRemoved, [&](QString s) { seen << "-" + s; });
    const QByteArray mouse = add("1", "M", "ID_INPUT_MOUSE");
    const QByteArray ball = add("2", "B", "ID_INPUT_TRACKBALL");
    bed.announce(mouse, "add"); // again: no second signal
    const QByteArray pad = add("3", "P", "ID_INPUT_TOUCHPAD");
    ASSERT_TRUE(test::runMainLoopUntil([&] { return seen.size() >= 3; }));
    for (const QByteArray& path : {ball, mouse, pad})
        bed.announce(path, "remove");
    ASSERT_TRUE(test::runMainLoopUntil([&] { return seen.size() >= 6; }));
    EXPECT_EQ(seen.join(' '), "+event1 +event2 +event3 -event2 -event1 -event3");
    EXPECT_TRUE(devices.devices().empty());
}

} // namespace
} // namespace veloquill::gnome
