// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the device layer's pointer resolution (16.16 fixed point, counts per inch) maps onto
// an XInput device's "Coordinate Transformation Matrix". Pure functions.

#include "device/neutral_resolution.h"

#include <array>
#include <cstdint>
#include <optional>

namespace veloquill::x11 {

using TransformMatrix = std::array<float, 9>; // row-major, as the X property holds it

// The matrix leaves relative motion unchanged at the neutral resolution.
using veloquill::kNeutralFixedResolution;

// The uniform scale of the matrix's 2×2 linear part: the square root of its determinant's
// magnitude, which is the plain factor for a diagonal matrix and ignores rotation or
// mirroring. Nothing when the matrix is degenerate.
std::optional<double> uniformScale(const TransformMatrix& matrix);

// scale = neutral / resolution. Nothing for a resolution that is not positive.
std::optional<float> scaleForResolution(std::int32_t fixedResolution);

// resolution = neutral / scale, rounded to 16.16; nothing when degenerate or out of range.
std::optional<std::int32_t> resolutionForMatrix(const TransformMatrix& matrix);

// The matrix with its linear part rescaled to the given uniform scale. Rotation, mirroring,
// aspect and translation are kept (translation only matters to absolute devices); a
// degenerate linear part becomes scale × identity.
TransformMatrix rescaledMatrix(const TransformMatrix& current, float scale);

} // namespace veloquill::x11
