// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/fixed_point.h"

#include <cmath>

namespace veloquill {

std::optional<std::int32_t> toFixedPoint(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double scaled = std::trunc(value * kFixedPointScale);
    // Strictly between -2^31 - 1 and 2^31 after truncation means within int32's range.
    if (!(scaled > -2147483649.0 && scaled < 2147483648.0))
        return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

} // namespace veloquill
