// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/main_log_category.h"

namespace veloquill {

Q_LOGGING_CATEGORY(lcMain, VELOQUILL_APP_ID ".main")

} // namespace veloquill
