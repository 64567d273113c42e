// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_pointer_curve.h"

#include "device/pointer_ranges.h"

#include <algorithm>
#include <cmath>

namespace veloquill::x11 {

namespace {
constexpr double kLibinputUpperSpan = 19.0; // 1 … 20 spread over libinput's 0 … 1
constexpr double kFeedbackUpperRise = 4.0;  // 1 … 20 takes the server's 2/1 up to 6/1
constexpr int kServerThreshold = 4;         // the server's own
constexpr double kVelocityScalingPerTop = 5.0;

// Readings go through float32 properties; rounding to the nearest 16.16 step (not
// truncating) is what makes every written value read back exactly.
std::int32_t roundToFixed(double value)
{
    const double bounded = std::clamp(value, -32768.0, 32767.0);
    return static_cast<std::int32_t>(std::lround(bounded * kFixedPointScale));
}

double accelerationShape(std::int32_t fixedAcceleration, double unitsPerMs)
{
    const double speed = libinputSpeedForAcceleration(fixedAcceleration);
    // libinput's top is below 1 for speeds under -2/3: its plateau is then the top.
    const double plateau = std::min(1.0, 2.0 + 1.5 * speed);
    return libinputAdaptiveFactor(speed, unitsPerMs) / plateau;
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

PointerFeedback feedbackForAcceleration(std::int32_t fixed)
{
    const double a = boundAcceleration(fixed) / kFixedPointScale;
    const double top = a <= 1 ? 1 + a : 2 + (a - 1) * kFeedbackUpperRise / kLibinputUpperSpan;
    return {static_cast<int>(std::lround(top * kFeedbackDenominator)), kFeedbackDenominator,
            kServerThreshold};
}

std::int32_t accelerationForFeedback(const PointerFeedback& feedback)
{
    if (feedback.denominator <= 0)
        return kAccelerationNeutral;
    const double top = static_cast<double>(feedback.numerator) / feedback.denominator;
    const double a = top <= 2 ? top - 1 : 1 + (top - 2) * kLibinputUpperSpan / kFeedbackUpperRise;
    return boundAcceleration(roundToFixed(std::clamp(a, 0.0, 20.0)));
}

float velocityScalingForAcceleration(std::int32_t fixed)
{
    const PointerFeedback feedback = feedbackForAcceleration(fixed);
    return static_cast<float>(kVelocityScalingPerTop * feedback.numerator / feedback.denominator);
}

std::vector<float> customPointsFor(double gain, std::int32_t fixedAcceleration)
{
    std::vector<float> points(kCustomPointCount);
    for (int i = 0; i < kCustomPointCount; ++i) {
        const double velocity = i * static_cast<double>(kCustomStep);
        points[i] =
            static_cast<float>(gain * accelerationShape(fixedAcceleration, velocity) * velocity);
    }
    return points;
}

namespace {
double gain(PointerCurveModel::Kind kind, std::int32_t resolution, std::int32_t acceleration,
            bool off, double velocity)
{
    const double scale = static_cast<float>(gainForFixedResolution(resolution));
    // Off is the flat profile at speed gain − 1, or no server acceleration.
    if (off)
        return scale;
    if (kind == PointerCurveModel::Kind::X11Libinput)
        return scale * accelerationShape(acceleration, velocity);
    // The server accelerates before its constant deceleration divides the motion
    // (dix/ptrveloc.c), so the velocity it sees is the device's own; it never decelerates at
    // its default adaptive deceleration of 1.
    const PointerFeedback feedback = feedbackForAcceleration(acceleration);
    const double serverVelocity = velocity * velocityScalingForAcceleration(acceleration);
    if (serverVelocity <= 0)
        return scale;
    const double top = static_cast<double>(feedback.numerator) / feedback.denominator;
    return scale * std::max(1.0, serverClassicFactor(serverVelocity, feedback.threshold, top));
}
} // namespace

PointerCurveModel curveModel(PointerCurveModel::Kind kind, bool speedShapesAcceleration)
{
    PointerCurveModel model{kind, speedShapesAcceleration};
    if (kind != PointerCurveModel::Kind::Libinput)
        model.x11Gain = &gain;
    return model;
}

} // namespace veloquill::x11
