// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

namespace veloquill {

// The program's error log: "<app-id>.main". Failures the user did not see happen (a
// login entry that could not be written) are reported here at critical level.
Q_DECLARE_LOGGING_CATEGORY(lcMain)

} // namespace veloquill
