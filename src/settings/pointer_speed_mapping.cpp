// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/pointer_speed_mapping.h"

namespace veloquill {

PointerSpeedMapping PointerSpeedMapping::forSpeed(double speed)
{
    PointerSpeedMapping mapping;
    // Two separate double operations: the published table depends on the rounding of each.
    const double scaled = speed * SpeedSlope;
    mapping.normalizedInverseResolution = scaled + SpeedOffset;
    // Exactly -1/29: the inverse is 0, and the highest resolution is used.
    if (mapping.normalizedInverseResolution == 0.0)
        return mapping;
    const double resolution = 1.0 / mapping.normalizedInverseResolution;
    // The lower bound first: a negative quotient (speed below -1/29) ends at the lowest.
    if (resolution <= LowestResolution)
        mapping.systemResolution = LowestResolution;
    else if (resolution > HighestResolution)
        mapping.systemResolution = HighestResolution;
    else
        mapping.systemResolution = resolution;
    return mapping;
}

double PointerSpeedMapping::speedFor(double resolution)
{
    return (1.0 / resolution - SpeedOffset) / SpeedSlope;
}

double slowMotionGain(double speed)
{
    static const double neutralResolution = PointerSpeedMapping::forSpeed(0.5).systemResolution;
    return neutralResolution / PointerSpeedMapping::forSpeed(speed).systemResolution;
}

} // namespace veloquill
