// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How far the pointer moves per hand motion (its gain) at each hand speed, for what the device
// layer writes, on each kind of backend. Pure functions; docs/curve.md gives the formulas and
// their sources. Hand speed is in mm/s at 1000 dpi: the device's own resolution is never known
// here, and 1000 dpi is what libinput normalises relative motion to.

#include <cstdint>

namespace veloquill {

struct PointerCurveModel
{
    enum class Kind
    {
        // X11, libinput driver with the custom profile: the speed's gain times the shape of
        // libinput's adaptive profile at the acceleration's libinput speed.
        X11Libinput,
        // X11, the server's own acceleration: its constant deceleration for the speed, the
        // device's pointer feedback for the acceleration.
        X11Server,
        // KWin, GNOME, Sway, and X11 libinput drivers without the custom profile: libinput's
        // profile at the speed written.
        Libinput
    };
    Kind kind = Kind::Libinput;
    // The speed shapes the acceleration rather than scaling slow motion (X11 libinput drivers
    // without the custom profile); the window says so.
    bool speedShapesAcceleration = false;
    // The gain for the X11 kinds, which their backend supplies (its mapping of resolution and
    // acceleration to its driver's properties), from the 16.16 values written; velocity in
    // units/ms at 1000 dpi.
    double (*x11Gain)(Kind kind, std::int32_t fixedResolution, std::int32_t fixedAcceleration,
                      bool off, double velocity) = nullptr;
};

// What the device layer is given: resolution (counts per inch) and acceleration (0 … 20, or
// PointerRange::AccelerationOff).
struct PointerCurveInput
{
    double resolution = 0;
    double acceleration = 0;
};

inline constexpr double kMillimetresPerInch = 25.4;

// libinput's adaptive profile for mice at libinput speed -1 … 1, for a velocity in units/ms at
// 1000 dpi.
double libinputAdaptiveFactor(double speed, double unitsPerMs);
// libinput's flat profile: 1 + speed.
double libinputFlatFactor(double speed);
// The X server's classic profile: SimpleSmooth with a threshold above 0, else polynomial;
// velocity in counts per ms times the velocity scaling. The server applies at least 1.
double serverClassicFactor(double velocity, double threshold, double acceleration);

// Pointer motion per hand motion at the hand speed (mm/s); 0 when the input cannot be written.
double pointerGain(const PointerCurveModel& model, const PointerCurveInput& input,
                   double handSpeed);

} // namespace veloquill
