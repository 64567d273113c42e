// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_state_fixture.h"

using namespace veloquill;
using namespace veloquill::test;

namespace {
using Fixed = std::vector<std::int64_t>;
constexpr std::int64_t One = 65536; // resolution 1 in 16.16
} // namespace

using PrecisionMode = SettingsStateTest;

// On divides the resolution written by the factor (bounded by the slowest the device takes);
// off writes exactly what was there. Neither stores anything nor makes a record.
TEST_F(PrecisionMode, SlowsTheSelectedDeviceByItsFactorAndOffGivesBackItsValues)
{
    using Case = std::tuple<const char*, std::optional<DeviceSpecificSettings>, Fixed, double>;
    const Case cases[] = {
        // name, record, written (on, then off), factor in effect
        {"no record: the resolution read", std::nullopt, {1600 * One, 400 * One}, 0.25},
        {"record", DeviceSpecificSettings{0.5, 1.0, false}, {20295019, 5073754}, 0.25},
        {"bounded", DeviceSpecificSettings{0.0, 1, true, {}, 0.05}, {1995 * One, 1200 * One}, 0.6}};
    for (const auto& [name, record, resolutions, inEffect] : cases) {
        SCOPED_TRACE(name);
        store = std::make_shared<InMemoryDefaultsStore>();
        if (record)
            remember(HeadMouse, *record);
        const auto mouse = connect("Head Mouse", 4660, 171);
        const auto twin = connect("Head Mouse", 4660, 171); // slowed alike
        build().ensureDeviceSelectionAndLoadSettings();
        waitForReadBacks();
        mouse->clearWrites();
        twin->clearWrites();
        const int storeWrites = store->writeCount();
        const double speed = state->currentPointerSpeed();
        state->setPrecisionMode(true);
        state->loadSettingsForSelectedDevice(); // as the window does when it opens
        EXPECT_EQ(state->currentPointerSpeed(), speed);
        EXPECT_NEAR(state->precisionFactorInEffect(), inEffect, 0.002);
        state->setPrecisionMode(true);
        state->setPrecisionMode(false);
        waitForReadBacks();
        EXPECT_EQ(written(*mouse, Resolution), resolutions);
        EXPECT_EQ(written(*twin, Resolution), resolutions);
        EXPECT_EQ(store->writeCount(), storeWrites);
        EXPECT_EQ(store->contains(State::DeviceSettingsKey), record.has_value());
        unplug(mouse);
        unplug(twin);
    }
}

// The factor is the record's; selecting another device gives the one left its speed back.
TEST_F(PrecisionMode, EditsAndFactorChangesWhileOnAreSlowedAndTheFactorIsStored)
{
    remember(HeadMouse, {0.5, 1.0, false, {}, 0.5});
    const auto mouse = connect("Head Mouse", 4660, 171);
    connect("Trackball", 2, 2);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(state->precisionFactor(), 0.5);
    state->setPrecisionMode(true);
    state->setPrecisionFactor(2.0);     // bounded to 1
    state->setCurrentPointerSpeed(1.0); // resolution 40
    state->setPrecisionFactor(0.25);
    state->setSelectedDeviceID("2-2-Trackball-N/A");
    waitForReadBacks();
    EXPECT_FALSE(state->precisionMode());
    EXPECT_EQ(written(*mouse, Resolution),
              (Fixed{5073754, 10147509, 5073754, 40 * One, 160 * One, 40 * One}));
    EXPECT_EQ(stored().value(HeadMouse), (DeviceSpecificSettings{1.0, 1.0, false, {}, 0.25}));
}
