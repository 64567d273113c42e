// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>

namespace veloquill {

// Limits value to the two bounds, which may be given in either order.
template <typename T> constexpr T clamp(const T& value, const T& boundA, const T& boundB)
{
    const T& lower = std::min(boundA, boundB);
    const T& upper = std::max(boundA, boundB);
    return std::max(lower, std::min(value, upper));
}

} // namespace veloquill
