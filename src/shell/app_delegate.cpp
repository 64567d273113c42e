// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/app_delegate.h"

#include "device/pointer_device_manager.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/status_bar_controller.h"
#include "support/log.h"

#include <QTimer>

namespace veloquill {

AppDelegate::AppDelegate(PointerDeviceManager& manager, SettingsStateProvider settingsState,
                         Interface interface, QObject* parent)
    : QObject(parent), m_manager(manager), m_settingsState(std::move(settingsState)),
      m_interface(std::move(interface))
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    // The tray item exists before any device is observed.
    if (m_interface.makeStatusBarController)
        m_statusBarController = m_interface.makeStatusBarController();
    if (m_statusBarController)
        m_statusBarController->setupStatusItem();
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
    if (m_interface.afterSavedSettingsApplied)
        m_interface.afterSavedSettingsApplied();
}

void AppDelegate::applicationWillTerminate()
{
    // Quit, a signal and a lost display can all arrive; the devices are restored once.
    if (m_terminated)
        return;
    m_terminated = true;
    logLine(
        QStringLiteral("[AppDelegate] Application will terminate. Restoring pointer settings."));
    m_restored = m_manager.restoreInitialPointerSettings();
    m_manager.stopObservation();
    logLine(QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.stopObservation()"));
}

void AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows && m_interface.showSettingsWindow)
        m_interface.showSettingsWindow();
}

} // namespace veloquill
