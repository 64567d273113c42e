// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the device layer's pointer resolution (16.16 fixed point, counts per inch) maps onto the
// speed settings of an XInput device's own driver. Pure functions. The transformation matrix is
// never written: the X server misplaces the pointer after every warp through a matrix that is
// not the identity, and the matrix rescales absolute motion too.

#include "device/neutral_resolution.h"

#include <cstdint>
#include <optional>

namespace veloquill::x11 {

// The device moves as its driver reports at the neutral resolution.
using veloquill::kNeutralFixedResolution;

// The pointer's travel per count: gain = neutral / resolution. Nothing for a resolution that
// is not positive.
std::optional<float> scaleForResolution(std::int32_t fixedResolution);

// "Device Accel Constant Deceleration", which the server divides every motion by under each
// of its profiles: 1 / gain = resolution / neutral. Nothing for a resolution not positive.
std::optional<float> constantDecelerationForResolution(std::int32_t fixedResolution);
// resolution = neutral × deceleration, rounded to 16.16; nothing when not positive, not finite
// or beyond 16.16.
std::optional<std::int32_t> resolutionForConstantDeceleration(float deceleration);

} // namespace veloquill::x11
