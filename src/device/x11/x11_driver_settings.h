// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The speed and acceleration keys on the three kinds of device: those driven by libinput, those
// accelerated by the X server itself, and those with neither (nothing to read or write). The
// speed goes through the driver's own controls, never the transformation matrix.

#include "device/x11/x11_device_mapping.h"

#include <cstdint>
#include <optional>

namespace veloquill::x11 {

enum class AccelerationKind
{
    Libinput,
    Server,
    None
};

AccelerationKind accelerationKind(X11DeviceContext& context);
// A libinput device whose driver offers the custom profile (libinput 1.23 or later).
bool offersCustomProfile(X11DeviceContext& context);

// 16.16 fixed point resolution; nothing on a device without a speed setting.
std::optional<std::int32_t> readResolution(X11DeviceContext& context);
std::optional<std::int32_t> readResolutionDefault(X11DeviceContext& context);
// False when the device has no speed setting. The resolution must be positive.
bool writeResolution(X11DeviceContext& context, std::int32_t fixed);

// 16.16 fixed point, kAccelerationOff when switched off; nothing on a device without.
std::optional<std::int32_t> readAcceleration(X11DeviceContext& context);
// Whether acceleration is off (the flat profile); nothing on a device without.
std::optional<bool> readAccelerationOff(X11DeviceContext& context);

// What the driver reports as the device's default, read as readAcceleration reads a
// setting; nothing on a device without acceleration settings or defaults.
std::optional<std::int32_t> readAccelerationDefault(X11DeviceContext& context);

// kAccelerationOff switches acceleration off; any other value switches it on at that level.
void writeAcceleration(X11DeviceContext& context, std::int32_t fixed);
void writeAccelerationOff(X11DeviceContext& context, bool off);

// Every property whose first-seen value is kept: those written, and the matrix an older
// version wrote (its journal still puts it back).
std::vector<XAtom> rememberedProperties(const X11Atoms& atoms);

} // namespace veloquill::x11
