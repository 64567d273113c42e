// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the device layer's pointer resolution (16.16 fixed point) maps onto libinput's speed,
// which every libinput-based desktop takes (KWin's "pointerAcceleration", GNOME's "speed").
// Pure functions; docs/kwin-backend.md has the table.

#include "device/libinput_device_model.h"

#include <cstdint>
#include <optional>

namespace veloquill::libinput {

// libinput's flat profile multiplies motion by 1 + speed, so the X11 backend's gain
// (neutral resolution / resolution) is speed = gain − 1, clamped to what libinput takes.
// Nothing for a resolution that is not positive.
std::optional<double> speedForResolution(std::int32_t fixedResolution);

// resolution = neutral / (1 + speed), rounded to 16.16; nothing at speed −1 (the pointer
// would not move) or when not finite or out of 16.16's range.
std::optional<std::int32_t> resolutionForSpeed(double speed);

} // namespace veloquill::libinput
