// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace veloquill {

namespace PointerRange {

// What a pointer device is given. A lower resolution moves the pointer farther: 10 is the
// fastest, 1995 (not 2000) the slowest.
inline constexpr double MinResolution = 10.0;
inline constexpr double MaxResolution = 1995.0;
inline constexpr double MinAcceleration = 0.0;
inline constexpr double MaxAcceleration = 20.0;
// The acceleration that switches acceleration off; it reads back as itself.
inline constexpr double AccelerationOff = -1.0;

} // namespace PointerRange

// The resolution at which a device moves as the desktop would move it unchanged: the one the
// default speed 0.5 gives (77.41935483870967) as the layer writes it, truncated to 16.16. So a
// device keeps its own speed until the user changes it, and moves alike on every backend.
inline constexpr std::int32_t kNeutralFixedResolution = 5073754;

// A 16.16 resolution as a gain over the desktop's own speed; the resolution must be positive.
inline double gainForFixedResolution(std::int32_t fixedResolution)
{
    return static_cast<double>(kNeutralFixedResolution) / fixedResolution;
}

// The inverse, rounded to 16.16 (exact for a gain made by gainForFixedResolution); nothing for
// a gain that is not positive and finite or a resolution beyond 16.16.
inline std::optional<std::int32_t> fixedResolutionForGain(double gain)
{
    if (!std::isfinite(gain) || gain <= 0)
        return std::nullopt;
    const double fixed = std::round(kNeutralFixedResolution / gain);
    if (!(fixed >= 1) || fixed > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(fixed);
}

} // namespace veloquill
