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

// Listed at start and as they arrive, each once; a keyboard is not a pointing device.
TEST(UdevPointers, ListsEventNodesOfPointingDevicesWithKindAndIdentityAndFollowsThem)
{
    test::PointerTestBed bed;
    if (!bed.active())
        GTEST_SKIP() << "needs umockdev's preload: run under umockdev-wrapper";
    const auto add = [&](const QByteArray& n, const char* name, const char* mark) {
        return bed.add(n, name, 0x46d, n.toUInt(), mark);
    };
    const QByteArray mouse = add("1", "Mouse", "ID_INPUT_MOUSE");
    bed.add("2", "Keys", 0x46d, 2, "ID_INPUT_KEYBOARD", "ID_INPUT");
    umockdev_testbed_set_property(bed.get(), "/sys/devices/input1", "ID_SERIAL_SHORT", "SN1");
    UdevPointerDevices devices;
    ASSERT_TRUE(devices.start());
    QStringList seen;
    using Devices = UdevPointerDevices;
    QObject::connect(&devices, &Devices::deviceAdded, [&](auto& d) { seen << "+" + d.sysName; });
    QObject::connect(&devices, &Devices::deviceRemoved, [&](QString s) { seen << "-" + s; });
    const QByteArray ball = add("3", "Ball", "ID_INPUT_TRACKBALL");
    bed.announce(ball, "add"); // again: no second signal
    const QByteArray pad = add("4", "Pad", "ID_INPUT_TOUCHPAD");
    add("5", "Stick", "ID_INPUT_POINTINGSTICK");
    ASSERT_TRUE(test::runMainLoopUntil([&] { return seen.size() >= 3; }));
    const std::vector<UdevPointerDevice> expected{
        {"event1", "Mouse", 0x46d, 1, "SN1", DeviceKind::Mouse},
        {"event3", "Ball", 0x46d, 3, {}, DeviceKind::Trackball},
        {"event4", "Pad", 0x46d, 4, {}, DeviceKind::Touchpad},
        {"event5", "Stick", 0x46d, 5, {}, DeviceKind::PointingStick},
    };
    EXPECT_EQ(devices.devices(), expected);
    for (const QByteArray& path : {pad, mouse, ball})
        bed.announce(path, "remove");
    ASSERT_TRUE(test::runMainLoopUntil([&] { return seen.size() >= 6; }));
    EXPECT_EQ(seen.join(' '), "+event3 +event4 +event5 -event4 -event1 -event3");
}

} // namespace
} // namespace veloquill::gnome
