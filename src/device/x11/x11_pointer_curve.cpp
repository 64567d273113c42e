// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_pointer_curve.h"

#include "device/neutral_resolution.h"
#include "device/x11/acceleration_mapping.h"

#include <algorithm>

namespace veloquill::x11 {

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
