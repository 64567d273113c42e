// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/settings_window_controller.h"

#include "login_item/start_at_login_toggle.h"
#include "shell/about_window_controller.h"
#include "shell/no_tray_footer.h"
#include "shell/shell_window.h"
#include "support/log.h"
#include "views/permission_view.h"

#include <QSystemTrayIcon>

namespace veloquill {

namespace {
// What configureShared gave, for the program's controller when it is made.
struct SharedConfiguration
{
    SettingsWindowController::TrustQuery canControlPointerDevices;
    SettingsWindowController::ContentFactory deviceControls;
} g_sharedConfiguration;
} // namespace

SettingsWindowController::SettingsWindowController(TrustQuery canControlPointerDevices,
                                                   ContentFactory deviceControls, QObject* parent)
    : QObject(parent), m_canControlPointerDevices(std::move(canControlPointerDevices)),
      m_deviceControls(std::move(deviceControls))
{
    if (!m_canControlPointerDevices)
        m_canControlPointerDevices = [] { return ControlUnavailableReason::DisplayLost; };
    if (!m_deviceControls)
        m_deviceControls = [] { return new QWidget; };
    m_unavailableReason = m_canControlPointerDevices();
    m_permissionTimer.setInterval(kPermissionPollIntervalMs);
    connect(&m_permissionTimer, &QTimer::timeout, this,
            &SettingsWindowController::checkAndUpdatePermissionStatus);
}

SettingsWindowController::~SettingsWindowController()
{
    delete m_settingsWindow;
}

SettingsWindowController& SettingsWindowController::shared()
{
    static SettingsWindowController* instance = [] {
        // Lives for the whole process, like the window it keeps.
        auto* controller = new SettingsWindowController(
            g_sharedConfiguration.canControlPointerDevices, g_sharedConfiguration.deviceControls);
        controller->setNoTrayOffer({&QSystemTrayIcon::isSystemTrayAvailable,
                                    [] { return new StartAtLoginToggle; },
                                    [] { bringAboutWindowToFront(); }});
        return controller;
    }();
    return *instance;
}

void SettingsWindowController::configureShared(TrustQuery canControlPointerDevices,
                                               ContentFactory deviceControls)
{
    g_sharedConfiguration = {std::move(canControlPointerDevices), std::move(deviceControls)};
}

ShellWindow* SettingsWindowController::settingsWindow() const
{
    return m_settingsWindow.data();
}

void SettingsWindowController::bringToFront()
{
    m_unavailableReason = m_canControlPointerDevices();
    initWindowIfNeeded();
    if (!m_settingsWindow) {
        logLine(QStringLiteral("Error: Settings window could not be initialized."));
        return;
    }
    m_settingsWindow->bringForward();
    m_permissionTimer.start();
}

void SettingsWindowController::checkAndUpdatePermissionStatus()
{
    const ControlUnavailableReason reason = m_canControlPointerDevices();
    if (reason == m_unavailableReason)
        return;
    m_unavailableReason = reason;
    // A minimised window catches up at the next bringToFront.
    if (m_settingsWindow && m_settingsWindow->isOnScreen())
        installRootView();
}

void SettingsWindowController::initWindowIfNeeded()
{
    if (m_windowReleased) {
        auto* window = new ShellWindow(tr("Veloquill Settings"), kWindowSize);
        connect(window, &ShellWindow::closing, this, &SettingsWindowController::windowWillClose);
        m_settingsWindow = window;
        offerTrayItemsIfNoTray();
        installRootView();
        m_windowReleased = false;
    } else if (m_settingsWindow) {
        installRootView();
    }
}

void SettingsWindowController::installRootView()
{
    QWidget* root = m_unavailableReason == ControlUnavailableReason::NoReason
                        ? m_deviceControls()
                        : new PermissionView(m_unavailableReason);
    m_settingsWindow->setContent(root);
}

void SettingsWindowController::offerTrayItemsIfNoTray()
{
    if (!m_noTrayOffer.isTrayAvailable || m_noTrayOffer.isTrayAvailable())
        return;
    auto* footer = new NoTrayFooter(m_noTrayOffer.makeStartAtLogin(), m_noTrayOffer.openAbout,
                                    &ShellWindow::quit);
    m_settingsWindow->setFooter(footer);
    // Without a tray nothing on screen says the program is still running, nor how to reach it.
    m_settingsWindow->setCloseGuard([this, footer] {
        if (m_closeNoticeShown)
            return true;
        m_closeNoticeShown = true;
        footer->showCloseNotice();
        return false;
    });
}

void SettingsWindowController::windowWillClose()
{
    m_permissionTimer.stop();
    // Nothing of the window is kept: the next one starts centred at the default size.
    m_settingsWindow->disconnect(this);
    m_settingsWindow->deleteLater();
    m_settingsWindow = nullptr;
    m_windowReleased = true;
    Q_EMIT windowClosed();
}

} // namespace veloquill
