// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

namespace veloquill {

// The resolution at which a device moves as the desktop would move it unchanged: the one the
// default speed 0.5 gives (77.41935483870967) as the layer writes it, truncated to 16.16. So a
// device keeps its own speed until the user changes it, and moves alike on every backend.
inline constexpr std::int32_t kNeutralFixedResolution = 5073754;

} // namespace veloquill
