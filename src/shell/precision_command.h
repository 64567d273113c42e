// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// `veloquill --precision on|off|toggle`: precision mode lives in the running Veloquill, which is
// asked to switch it; with none running there is nothing to slow. The status to end with: 0
// when switched, else 1 after one line on stderr.
int switchPrecision(int argc, char** argv, const QString& mode);

} // namespace veloquill
