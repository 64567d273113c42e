// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/start_at_login_menu_binding.h"

#include "login_item/start_at_login.h"
#include "shell/status_bar_controller.h"

namespace veloquill {

void bindStartAtLoginMenu(StatusBarController& controller, StartAtLogin& startAtLogin)
{
    QObject::connect(&controller, &StatusBarController::startAtLoginToggleRequested, &startAtLogin,
                     [&startAtLogin] { startAtLogin.setEnabled(!startAtLogin.isEnabled()); });
    startAtLogin.subscribe(
        &controller, [&controller](bool enabled) { controller.setStartAtLoginChecked(enabled); });
}

} // namespace veloquill
