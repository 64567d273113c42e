// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/libinput_mapping.h"

#include "device/neutral_resolution.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veloquill::libinput {

std::optional<double> speedForResolution(std::int32_t fixedResolution)
{
    if (fixedResolution <= 0)
        return std::nullopt;
    const double gain = static_cast<double>(kNeutralFixedResolution) / fixedResolution;
    return std::clamp(gain - 1.0, kMinSpeed, kMaxSpeed);
}

std::optional<std::int32_t> resolutionForSpeed(double speed)
{
    const double gain = 1.0 + speed;
    if (!std::isfinite(gain) || gain <= 0)
        return std::nullopt;
    const double fixed = std::round(kNeutralFixedResolution / gain);
    if (fixed > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(fixed);
}

} // namespace veloquill::libinput
