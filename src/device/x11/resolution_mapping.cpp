// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/resolution_mapping.h"

#include <cmath>
#include <limits>

namespace veloquill::x11 {

std::optional<float> scaleForResolution(std::int32_t fixedResolution)
{
    if (fixedResolution <= 0)
        return std::nullopt;
    return static_cast<float>(static_cast<double>(kNeutralFixedResolution) / fixedResolution);
}

std::optional<float> constantDecelerationForResolution(std::int32_t fixedResolution)
{
    if (fixedResolution <= 0)
        return std::nullopt;
    return static_cast<float>(static_cast<double>(fixedResolution) / kNeutralFixedResolution);
}

std::optional<std::int32_t> resolutionForConstantDeceleration(float deceleration)
{
    const double fixed = std::round(static_cast<double>(deceleration) * kNeutralFixedResolution);
    if (!std::isfinite(fixed) || fixed <= 0 || fixed > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(fixed);
}

} // namespace veloquill::x11
