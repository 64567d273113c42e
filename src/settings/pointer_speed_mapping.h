// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace veloquill {

// From the UI speed (0 to 1) to the pointer resolution written to a device. The mapping is
// linear in the inverse of the resolution, so a higher speed always gives a lower resolution.
struct PointerSpeedMapping
{
    static constexpr double SpeedSlope = 0.02416666666666667;    // 29 / 1200
    static constexpr double SpeedOffset = 0.0008333333333333334; // 1 / 1200
    static constexpr double LowestResolution = 40.0;
    static constexpr double HighestResolution = 1200.0;

    double normalizedInverseResolution = 0.0;
    double systemResolution = HighestResolution;

    static PointerSpeedMapping forSpeed(double speed)
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
    // The speed whose mapping gives this resolution: 0 at HighestResolution, 1 at
    // LowestResolution, and beyond 0…1 for resolutions outside them, unbounded.
    static double speedFor(double resolution)
    {
        return (1.0 / resolution - SpeedOffset) / SpeedSlope;
    }
};

// How many times faster than at the default speed (0.5) the pointer moves at a speed when the
// hand moves slowly, where acceleration has not yet set in: the inverse ratio of the
// resolutions the mapping gives. 0.0645 at speed 0, 1 at 0.5, 1.935 at 1.
inline double slowMotionGain(double speed)
{
    static const double neutralResolution = PointerSpeedMapping::forSpeed(0.5).systemResolution;
    return neutralResolution / PointerSpeedMapping::forSpeed(speed).systemResolution;
}

} // namespace veloquill
