// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The speed and acceleration keys on the three kinds of device: those driven by libinput, those
// accelerated by the X server itself, and those with neither (nothing to read or write). The
// speed goes through the driver's own controls, never the transformation matrix.

#include "device/x11/x11_device_mapping.h"

#include <optional>
#include <vector>

namespace veloquill::x11 {

PointerSettings readSettings(X11DeviceContext& context);
PointerSettings readDefaults(X11DeviceContext& context);
// Writes to the driver's own properties; a device without them logs one line and is left.
void writeGain(X11DeviceContext& context, double gain);
// Switches acceleration on at that amount.
void writeAcceleration(X11DeviceContext& context, double amount);
void writeAccelerationOff(X11DeviceContext& context);
// libinput's or the server's acceleration, as the device's properties say now.
std::optional<PointerCurveModel> curveModel(X11DeviceContext& context);

// Every property whose first-seen value is kept: those written, and the matrix an older
// version wrote (its journal still puts it back).
std::vector<XAtom> rememberedProperties(const X11Atoms& atoms);

} // namespace veloquill::x11
