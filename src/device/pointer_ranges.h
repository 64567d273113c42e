// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace veloquill::PointerRange {

// What a pointer device is given. A lower resolution moves the pointer farther: 10 is the
// fastest, 1995 (not 2000) the slowest.
inline constexpr double MinResolution = 10.0;
inline constexpr double MaxResolution = 1995.0;
inline constexpr double MinAcceleration = 0.0;
inline constexpr double MaxAcceleration = 20.0;
// The acceleration that switches acceleration off; it reads back as itself.
inline constexpr double AccelerationOff = -1.0;

} // namespace veloquill::PointerRange
