// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Settings held as the layer's 16.16 resolution and acceleration (-1 being off), as a backend
// that still computes in them hands them over.

#include "device/backend_device.h"
#include "device/neutral_resolution.h"
#include "support/fixed_point.h"

#include <cstdint>
#include <optional>

namespace veloquill {

inline PointerSettings settingsFromFixed(std::optional<std::int32_t> resolution,
                                         std::optional<std::int32_t> acceleration, bool off)
{
    constexpr std::int32_t fixedOff = -65536;
    PointerSettings settings{std::nullopt, std::nullopt, off};
    if (resolution && *resolution > 0)
        settings.gain = gainForFixedResolution(*resolution);
    if (acceleration && *acceleration == fixedOff)
        settings.accelerationOff = true;
    else if (acceleration && !off)
        settings.acceleration = fromFixedPoint(*acceleration);
    return settings;
}

} // namespace veloquill
