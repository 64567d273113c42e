// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The acceleration keys on the three kinds of device: those driven by libinput, those
// accelerated by the X server itself, and those with neither (nothing to read or write).

#include "device/x11/x11_key_translation.h"

#include <cstdint>
#include <optional>

namespace veloquill::x11 {

enum class AccelerationKind
{
    Libinput,
    Server,
    None
};

AccelerationKind accelerationKind(X11KeyContext& context);

// 16.16 fixed point, kAccelerationOff when switched off; nothing on a device without.
std::optional<std::int32_t> readAcceleration(X11KeyContext& context);
// Whether acceleration is off (the flat profile); nothing on a device without.
std::optional<bool> readAccelerationOff(X11KeyContext& context);

// What the driver reports as the device's default, read as readAcceleration reads a
// setting; nothing on a device without acceleration settings or defaults.
std::optional<std::int32_t> readAccelerationDefault(X11KeyContext& context);

// kAccelerationOff switches acceleration off; any other value switches it on at that level.
void writeAcceleration(X11KeyContext& context, std::int32_t fixed);
void writeAccelerationOff(X11KeyContext& context, bool off);

// The properties that hold a device's acceleration, for remembering and resetting.
std::vector<XAtom> accelerationProperties(const X11Atoms& atoms);

} // namespace veloquill::x11
