// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/acceleration_mapping.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

TEST(AccelerationMapping, EveryWritableValueReadsBackIdenticallyThroughBothSettings)
{
    struct Setting
    {
        float (*forAcceleration)(std::int32_t);
        std::int32_t (*forSetting)(float);
    };
    for (const Setting setting :
         {Setting{libinputSpeedForAcceleration, accelerationForLibinputSpeed},
          Setting{velocityScalingForAcceleration, accelerationForVelocityScaling}}) {
        float previous = -2;
        for (std::int32_t value = kAccelerationMinimum; value <= kAccelerationMaximum; ++value) {
            const float written = setting.forAcceleration(value);
            ASSERT_EQ(setting.forSetting(written), value) << value;
            ASSERT_GT(written, previous) << "not strictly increasing at " << value;
            previous = written;
        }
    }
}

TEST(AccelerationMapping, SettingsForAccelerationsAndBack)
{
    // acceleration → libinput speed, velocity scaling
    const std::vector<std::tuple<double, float, float>> writes{
        {1.0, 0.0f, 10.0f}, // neutral: each device's own default
        {0.0, -1.0f, 5.0f}, // the server refuses a scaling of 0, so the slowest is 5
        {20.0, 1.0f, 105.0f}, {5.75, 0.25f, 33.75f},
        {0.5, -0.5f, 7.5f},   {-0.5, -1.0f, 5.0f}, // out of range: bounded
        {25.0, 1.0f, 105.0f},
    };
    for (const auto& [acceleration, speed, scaling] : writes) {
        SCOPED_TRACE(acceleration);
        EXPECT_EQ(libinputSpeedForAcceleration(asFixed(acceleration)), speed);
        EXPECT_EQ(velocityScalingForAcceleration(asFixed(acceleration)), scaling);
    }
    // Settings made by other programs read as the nearest value.
    EXPECT_EQ(accelerationForLibinputSpeed(-3.0f), kAccelerationMinimum);
    EXPECT_EQ(accelerationForLibinputSpeed(0.5f), asFixed(10.5));
    EXPECT_EQ(accelerationForVelocityScaling(2.5f), kAccelerationMinimum);
    EXPECT_EQ(accelerationForVelocityScaling(200.0f), asFixed(39));
}

} // namespace
} // namespace veloquill::x11
