// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_atoms.h"

#include <X11/Xlib.h>

#include <array>

namespace veloquill::x11 {

X11Atoms X11Atoms::intern(Display* display)
{
    X11Atoms atoms;
    std::array<std::pair<const char*, XAtom*>, 16> named = {{
        {"FLOAT", &atoms.floatType},
        {"Coordinate Transformation Matrix", &atoms.transformationMatrix},
        {"Device Product ID", &atoms.productID},
        {"Device Node", &atoms.deviceNode},
        {"XTEST Device", &atoms.xtestDevice},
        {"libinput Accel Speed", &atoms.libinputAccelSpeed},
        {"libinput Accel Profile Enabled", &atoms.libinputAccelProfileEnabled},
        {"libinput Accel Profiles Available", &atoms.libinputAccelProfilesAvailable},
        {"libinput Accel Speed Default", &atoms.libinputAccelSpeedDefault},
        {"libinput Accel Profile Enabled Default", &atoms.libinputAccelProfileEnabledDefault},
        {"Device Accel Profile", &atoms.accelProfile},
        {"Device Accel Velocity Scaling", &atoms.accelVelocityScaling},
        {"Device Accel Constant Deceleration", &atoms.accelConstantDeceleration},
        {"libinput Accel Custom Motion Points", &atoms.libinputAccelCustomPoints},
        {"libinput Accel Custom Motion Step", &atoms.libinputAccelCustomStep},
        {"Veloquill Pointer Feedback", &atoms.pointerFeedback},
    }};
    std::array<char*, named.size()> names{};
    std::array<Atom, named.size()> values{};
    for (std::size_t i = 0; i < named.size(); ++i)
        names[i] = const_cast<char*>(named[i].first);
    // One round trip for all; atoms are created if no driver has made them yet, so a
    // property that appears later is still recognised.
    XInternAtoms(display, names.data(), static_cast<int>(names.size()), False, values.data());
    for (std::size_t i = 0; i < named.size(); ++i)
        *named[i].second = values[i];
    return atoms;
}

QString atomName(Display* display, XAtom atom)
{
    if (atom == None)
        return QStringLiteral("None");
    char* name = XGetAtomName(display, atom);
    if (!name)
        return QStringLiteral("atom ") + QString::number(atom);
    const QString result = QString::fromLatin1(name);
    XFree(name);
    return result;
}

} // namespace veloquill::x11
