#include "shell/tray_fallback.h"

#include "shell/settings_window_controller.h"
#include "support/log.h"

#include <QSystemTrayIcon>

namespace veloquill {

bool openSettingsIfNoTrayHost()
{
    return openSettingsIfNoTrayHost(&QSystemTrayIcon::isSystemTrayAvailable,
                                    [] { SettingsWindowController::shared().bringToFront(); });
}

bool openSettingsIfNoTrayHost(const std::function<bool()>& isTrayAvailable,
                              const std::function<void()>& openSettings)
{
    if (isTrayAvailable())
        return false;
    logLine(QStringLiteral("[StatusBarController] No system tray is available; opening the "
                           "settings window so that Veloquill can be reached."));
    openSettings();
    return true;
}

} // namespace veloquill
