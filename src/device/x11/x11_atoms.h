// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The names of the X device properties the backend reads and writes, interned once.

#include <QString>

struct _XDisplay;

namespace veloquill::x11 {

using XAtom = unsigned long; // Xlib's Atom, without pulling Xlib into headers

struct X11Atoms
{
    XAtom floatType = 0; // the "FLOAT" property type; the others are Xlib's predefined atoms
    XAtom transformationMatrix = 0; // "Coordinate Transformation Matrix"
    XAtom productID = 0;            // "Device Product ID"
    XAtom deviceNode = 0;           // "Device Node"
    XAtom xtestDevice = 0;          // "XTEST Device"
    XAtom libinputAccelSpeed = 0;
    XAtom libinputAccelProfileEnabled = 0;
    XAtom libinputAccelProfilesAvailable = 0;
    XAtom libinputAccelSpeedDefault = 0;
    XAtom libinputAccelProfileEnabledDefault = 0;
    XAtom accelProfile = 0;              // "Device Accel Profile"
    XAtom accelVelocityScaling = 0;      // "Device Accel Velocity Scaling"
    XAtom accelConstantDeceleration = 0; // "Device Accel Constant Deceleration"
    XAtom libinputAccelCustomPoints = 0; // "libinput Accel Custom Motion Points"
    XAtom libinputAccelCustomStep = 0;   // "libinput Accel Custom Motion Step"
    // The device's own pointer feedback (acceleration numerator, denominator, threshold), which
    // is no property: reads and writes under this name go through the feedback control, so it
    // is remembered, journalled and put back as the properties are.
    XAtom pointerFeedback = 0; // "Veloquill Pointer Feedback"

    static X11Atoms intern(_XDisplay* display);
};

// The atom's name for log lines.
QString atomName(_XDisplay* display, XAtom atom);

} // namespace veloquill::x11
