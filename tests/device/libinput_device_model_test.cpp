// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the restore at quit writes back to a libinput device, and what it leaves to another
// program, as the KWin and Sway backends share it.
#include "device/libinput_device_model.h"

#include <gtest/gtest.h>

namespace veloquill::libinput {
namespace {

constexpr auto kFlat = Profile::Flat, kAdaptive = Profile::Adaptive;

TEST(LibinputDeviceModel, RestoreWritesBackOnlyWhatStillHoldsThisProgramsLastWrite)
{
    const struct
    {
        const char* why;
        Settings first;
        Values written;
        Settings held;
        Values writes;
        bool canFlat = true;
    } rows[] = {
        {"ours: back", {0.3, kFlat}, {0.0, false}, {0.0, kAdaptive}, {0.3, true}},
        {"read back rounded: still ours", {0.3, kFlat}, {0.1234, {}}, {0.123, kFlat}, {0.3, {}}},
        {"another program's since", {0.3, kAdaptive}, {-0.5, true}, {0, Profile::Other}, {}},
        {"holds the original already", {0.3, kFlat}, {0.3, true}, {0.3, kFlat}, {}},
        {"never written", {0.3, kFlat}, {}, {0.0, kAdaptive}, {}},
        {"a profile the device lacks", {0.3, kFlat}, {{}, false}, {0.3, kAdaptive}, {}, false},
        {"a profile neither flat nor adaptive", {0, Profile::Other}, {{}, true}, {0, kFlat}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        DeviceModel model(row.first, 0.0005);
        model.adopt(row.first, row.written);
        model.hold(row.held);
        EXPECT_EQ(model.planRestore(row.canFlat).writes, row.writes);
    }
}

} // namespace
} // namespace veloquill::libinput
