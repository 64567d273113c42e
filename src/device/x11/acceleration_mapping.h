// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the device layer's acceleration (16.16 fixed point, 0 to 20, -1 for "off") and the
// server's pointer control map onto X11 settings. Pure functions, so that the mapping can be
// checked for every value the layer can write.

#include "device/pointer_ranges.h"
#include "support/fixed_point.h"

#include <cstdint>

namespace veloquill::x11 {

constexpr std::int32_t asFixed(double value)
{
    return static_cast<std::int32_t>(value * kFixedPointScale);
}

// 16.16 fixed point values the layer writes.
inline constexpr std::int32_t kAccelerationOff = asFixed(PointerRange::AccelerationOff);
inline constexpr std::int32_t kAccelerationMinimum = asFixed(PointerRange::MinAcceleration);
inline constexpr std::int32_t kAccelerationNeutral = asFixed(1.0); // the device's own default
inline constexpr std::int32_t kAccelerationMaximum = asFixed(PointerRange::MaxAcceleration);

// Any other value is brought into 0 … 20 (the layer clamps too; direct writes may not).
std::int32_t boundAcceleration(std::int32_t fixed);

// libinput's "libinput Accel Speed" (-1 … 1): 0 … 1 maps linearly onto -1 … 0 and 1 … 20
// onto 0 … 1, so the neutral 1.0 is libinput's default speed 0.
float libinputSpeedForAcceleration(std::int32_t fixed);
std::int32_t accelerationForLibinputSpeed(float speed);

// The X server's "Device Accel Velocity Scaling" (its default 10): scaling = 5 × (a + 1),
// 5 … 105; the server refuses 0, and 1.0 lands on its default.
float velocityScalingForAcceleration(std::int32_t fixed);
std::int32_t accelerationForVelocityScaling(float scaling);

} // namespace veloquill::x11
