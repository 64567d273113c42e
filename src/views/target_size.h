// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSize>

namespace veloquill {

// The least size of anything that can be clicked, so that a head mouse or a tremor that
// wanders a little still lands on it.
inline constexpr int kMinimumTargetSize = 44;
inline constexpr QSize kMinimumTarget{kMinimumTargetSize, kMinimumTargetSize};

} // namespace veloquill
