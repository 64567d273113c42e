// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <optional>

namespace veloquill {

// HID pointer values are 16.16 fixed point: a signed 32-bit integer holding value × 65536.
inline constexpr double kFixedPointScale = 65536.0;
inline constexpr double kFixedPointReadScale = 1.52587890625e-5; // exactly 1 / 65536

// value × 65536 truncated toward zero, or nothing when the value is not finite or its
// scaled form does not fit a signed 32-bit integer (a plain cast would be undefined).
std::optional<std::int32_t> toFixedPoint(double value);

inline double fromFixedPoint(std::int32_t fixed)
{
    return fixed * kFixedPointReadScale;
}

} // namespace veloquill
