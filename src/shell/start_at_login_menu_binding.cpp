// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/start_at_login_menu_binding.h"

#include "login_item/start_at_login.h"
#include "shell/status_bar_controller.h"

#include <QPointer>

namespace veloquill {

void bindStartAtLoginMenu(StatusBarController& controller, StartAtLogin& startAtLogin)
{
    QObject::connect(&controller, &StatusBarController::startAtLoginToggleRequested, &startAtLogin,
                     [&startAtLogin] { startAtLogin.setEnabled(!startAtLogin.isEnabled()); });
    const QPointer<StatusBarController> weakController(&controller);
    startAtLogin
        .subscribe([weakController](bool enabled) {
            if (weakController)
                weakController->setStartAtLoginChecked(enabled);
        })
        ->tieToLifetime(&controller);
}

} // namespace veloquill
