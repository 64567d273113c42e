// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the device layer's acceleration (16.16 fixed point, 0 to 20, -1 for "off") and the
// server's pointer control map onto X11 settings, and the X11 kinds of the pointer curve: what
// the backend's writes make of hand motion. Pure functions, so that the mapping can be checked
// for every value the layer can write.

#include "device/pointer_curve.h"
#include "device/pointer_ranges.h"
#include "support/fixed_point.h"

#include <cstdint>
#include <vector>

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

// A device's own pointer feedback, as XChangeFeedbackControl sets it: the server's profiles
// accelerate up to numerator / denominator once the velocity passes the threshold.
struct PointerFeedback
{
    int numerator = 2;
    int denominator = 1;
    int threshold = 4;
    friend bool operator==(const PointerFeedback&, const PointerFeedback&) = default;
};
// 19 × 50: each whole step of 1 … 20 lands on a whole numerator.
inline constexpr int kFeedbackDenominator = 950;
// 0 is 1/1 (linear at every hand speed), 1 the server's own 2/1, then 19 steps up to 6/1,
// each one distinct, at the server's threshold 4.
PointerFeedback feedbackForAcceleration(std::int32_t fixed);
// The inverse, rounded to 16.16 and bounded to 0 … 20; 1.0 for a denominator not above 0.
std::int32_t accelerationForFeedback(const PointerFeedback& feedback);
// "Device Accel Velocity Scaling" goes with the feedback: 5 × numerator / denominator (the
// server's 10 at 1.0). The classic profile then reaches the same share of its top at the same
// hand speed whatever the amount, so a higher amount is faster at every hand speed; with the
// scaling fixed, a higher top would stretch the profile's ramp and fall below a lower one.
float velocityScalingForAcceleration(std::int32_t fixed);

// libinput's custom profile as Veloquill fills it: the pointer speed for each hand speed
// 0, step, 2 step … in units/ms at 1000 dpi, gain × the shape of libinput's adaptive profile
// at the acceleration's libinput speed, scaled so its slow plateau is 1 (so the speed means
// at slow hand speeds what it means with acceleration off).
inline constexpr int kCustomPointCount = 64;
inline constexpr float kCustomStep = 0.032f; // up to 2 units/ms, past every profile's top
std::vector<float> customPointsFor(double gain, std::int32_t fixedAcceleration);

// A model of the kind, with the X11 gain attached for the X11 kinds.
PointerCurveModel curveModel(PointerCurveModel::Kind kind, bool speedShapesAcceleration = false);

} // namespace veloquill::x11
