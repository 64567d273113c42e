// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// Prints a real the way log lines show it: the shortest digits that read back to the
// same double, ".0" on whole numbers, exponent form below 1e-4 or above 2^53
// (0.5, 1.0, 77.41935483870967, 1e-05, 1e+16).
QString formatReal(double value);
QString formatBool(bool value);

} // namespace veloquill
