// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/resolution_mapping.h"

#include <cmath>
#include <limits>

namespace veloquill::x11 {

std::optional<double> uniformScale(const TransformMatrix& m)
{
    const double determinant = static_cast<double>(m[0]) * m[4] - static_cast<double>(m[1]) * m[3];
    const double scale = std::sqrt(std::fabs(determinant));
    if (!std::isfinite(scale) || scale <= 0)
        return std::nullopt;
    return scale;
}

std::optional<float> scaleForResolution(std::int32_t fixedResolution)
{
    if (fixedResolution <= 0)
        return std::nullopt;
    return static_cast<float>(static_cast<double>(kNeutralFixedResolution) / fixedResolution);
}

std::optional<std::int32_t> resolutionForMatrix(const TransformMatrix& matrix)
{
    const auto scale = uniformScale(matrix);
    if (!scale)
        return std::nullopt;
    const double fixed = std::round(kNeutralFixedResolution / *scale);
    if (fixed > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(fixed);
}

TransformMatrix rescaledMatrix(const TransformMatrix& current, float scale)
{
    TransformMatrix result = current;
    const auto currentScale = uniformScale(current);
    if (!currentScale) {
        result[0] = scale;
        result[1] = 0;
        result[3] = 0;
        result[4] = scale;
        return result;
    }
    const double factor = scale / *currentScale;
    for (int index : {0, 1, 3, 4})
        result[index] = static_cast<float>(current[index] * factor);
    return result;
}

} // namespace veloquill::x11
