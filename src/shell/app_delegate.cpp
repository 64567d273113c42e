#include "shell/app_delegate.h"

#include "device/pointer_device_manager.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/log.h"

#include <QTimer>

namespace veloquill {

AppDelegate::AppDelegate(PointerDeviceManager& manager, SettingsStateProvider settingsState,
                         QObject* parent)
    : QObject(parent), m_manager(manager), m_settingsState(std::move(settingsState))
{
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_manager.startObservation();
    logLine(QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.startObservation()"));
    QTimer::singleShot(SavedSettingsDelayMs, this, &AppDelegate::applySavedSettingsAfterStartup);
}

void AppDelegate::applySavedSettingsAfterStartup()
{
    // Quitting within the first tenth of a second must not apply settings after the restore.
    if (m_terminated)
        return;
    logLine(QStringLiteral("[AppDelegate] Applying saved settings to devices after startup"));
    m_settingsState().ensureDeviceSelectionAndLoadSettings();
}

void AppDelegate::applicationWillTerminate()
{
    // Quit, a signal and a lost display can all arrive; the devices are restored once.
    if (m_terminated)
        return;
    m_terminated = true;
    logLine(QStringLiteral("[AppDelegate] Application will terminate. Restoring pointer settings."));
    m_manager.restoreInitialPointerSettings();
    m_manager.stopObservation();
    logLine(QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.stopObservation()"));
}

} // namespace veloquill
