// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_curve.h"

#include "device/libinput_device_model.h"
#include "device/pointer_ranges.h"
#include "support/fixed_point.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace veloquill {

namespace {
// libinput's constants for mice (filter-linear.c), in units/ms at 1000 dpi.
constexpr double kDecelerationEnd = 0.07;
constexpr double kDefaultThreshold = 0.4;
constexpr double kMinimumThreshold = 0.2;
constexpr double kDefaultMaxFactor = 2.0;
constexpr double kDefaultIncline = 1.1;

// The X server's smooth step from 0 to 1 over 0 … 1 (dix/ptrveloc.c).
double penumbralGradient(double x)
{
    x = x * 2.0 - 1.0;
    return 0.5 + (x * std::sqrt(1.0 - x * x) + std::asin(x)) / std::numbers::pi;
}

double unitsPerMs(double handSpeed)
{
    // 1 unit at 1000 dpi is 0.0254 mm: 1 unit/ms is 25.4 mm/s.
    return handSpeed / kMillimetresPerInch;
}
} // namespace

double libinputAdaptiveFactor(double speed, double velocity)
{
    const double threshold = std::max(kMinimumThreshold, kDefaultThreshold - 0.25 * speed);
    const double maxFactor = kDefaultMaxFactor + 1.5 * speed;
    const double incline = kDefaultIncline + 0.75 * speed;
    double factor = 1.0;
    if (velocity < kDecelerationEnd)
        factor = 10.0 * velocity + 0.3;
    else if (velocity >= threshold)
        factor = incline * (velocity - threshold) + 1.0;
    return std::min(maxFactor, factor);
}

double libinputFlatFactor(double speed)
{
    return 1.0 + speed;
}

double serverClassicFactor(double velocity, double threshold, double acceleration)
{
    if (threshold <= 0)
        return std::pow(velocity, (acceleration - 1.0) * 0.5);
    if (velocity < 1.0)
        return penumbralGradient(0.5 + velocity * 0.5) * 2.0 - 1.0;
    threshold = std::max(threshold, 1.0);
    if (velocity <= threshold)
        return 1.0;
    velocity /= threshold;
    if (velocity >= acceleration)
        return acceleration;
    return 1.0 + penumbralGradient(velocity / acceleration) * (acceleration - 1.0);
}

double pointerGain(const PointerCurveModel& model, const PointerCurveInput& input, double handSpeed)
{
    // The values reach the device as 16.16, truncated as the layer writes them.
    const auto resolution = toFixedPoint(
        std::clamp(input.resolution, PointerRange::MinResolution, PointerRange::MaxResolution));
    const bool off = input.acceleration == PointerRange::AccelerationOff;
    const auto acceleration = toFixedPoint(std::clamp(
        input.acceleration, PointerRange::MinAcceleration, PointerRange::MaxAcceleration));
    if (!resolution || !acceleration)
        return 0;
    const double velocity = unitsPerMs(handSpeed);
    switch (model.kind) {
    case PointerCurveModel::Kind::Libinput: {
        // The flat profile multiplies motion by 1 + speed: the speed is the gain less 1.
        const double speed = std::clamp(gainForFixedResolution(*resolution) - 1.0,
                                        libinput::kMinSpeed, libinput::kMaxSpeed);
        return off ? libinputFlatFactor(speed) : libinputAdaptiveFactor(speed, velocity);
    }
    case PointerCurveModel::Kind::X11Libinput:
    case PointerCurveModel::Kind::X11Server:
        return model.x11Gain ? model.x11Gain(model.kind, *resolution, *acceleration, off, velocity)
                             : 0;
    }
    return 0;
}

} // namespace veloquill
