// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/acceleration_mapping.h"

#include <algorithm>
#include <cmath>

namespace veloquill::x11 {

namespace {
constexpr double kLibinputUpperSpan = 19.0; // 1 … 20 spread over libinput's 0 … 1
constexpr double kVelocityScalingStep = 5.0;

// Readings go through float32 properties; rounding to the nearest 16.16 step (not
// truncating) is what makes every written value read back exactly.
std::int32_t roundToFixed(double value)
{
    const double bounded = std::clamp(value, -32768.0, 32767.0);
    return static_cast<std::int32_t>(std::lround(bounded * kFixedPointScale));
}
} // namespace

std::int32_t boundAcceleration(std::int32_t fixed)
{
    return std::clamp(fixed, kAccelerationMinimum, kAccelerationMaximum);
}

float libinputSpeedForAcceleration(std::int32_t fixed)
{
    const std::int32_t bounded = boundAcceleration(fixed);
    if (bounded <= kAccelerationNeutral)
        return static_cast<float>((bounded - kAccelerationNeutral) / kFixedPointScale);
    return static_cast<float>((bounded - kAccelerationNeutral) /
                              (kLibinputUpperSpan * kFixedPointScale));
}

std::int32_t accelerationForLibinputSpeed(float speed)
{
    const double s = std::clamp(static_cast<double>(speed), -1.0, 1.0);
    if (s <= 0)
        return roundToFixed(1.0 + s);
    return roundToFixed(1.0 + kLibinputUpperSpan * s);
}

float velocityScalingForAcceleration(std::int32_t fixed)
{
    const std::int32_t bounded = boundAcceleration(fixed);
    return static_cast<float>(kVelocityScalingStep * (bounded + kAccelerationNeutral) /
                              kFixedPointScale);
}

std::int32_t accelerationForVelocityScaling(float scaling)
{
    return roundToFixed(std::max(0.0, scaling / kVelocityScalingStep - 1.0));
}

} // namespace veloquill::x11
