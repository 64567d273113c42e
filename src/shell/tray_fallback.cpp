// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/tray_fallback.h"

#include "shell/settings_window_controller.h"
#include "support/log.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QTimer>

namespace veloquill {

void openSettingsIfNoTrayHost()
{
    openSettingsIfNoTrayHost(&QSystemTrayIcon::isSystemTrayAvailable,
                             [] { SettingsWindowController::shared().bringToFront(); });
}

void openSettingsIfNoTrayHost(std::function<bool()> isTrayAvailable,
                              std::function<void()> openSettings, TrayWait wait)
{
    if (isTrayAvailable())
        return;
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(wait.poll);
    QObject::connect(
        timer, &QTimer::timeout, timer, [=, waited = std::chrono::milliseconds(0)]() mutable {
            waited += wait.poll;
            const bool available = isTrayAvailable();
            if (!available && waited < wait.timeout)
                return;
            timer->stop();
            timer->deleteLater();
            if (available)
                return;
            logLine(QStringLiteral("[StatusBarController] No system tray is available; opening the "
                                   "settings window so that Veloquill can be reached."));
            openSettings();
        });
    timer->start();
}

} // namespace veloquill
