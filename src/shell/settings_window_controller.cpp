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
    delete m_window.window();
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

void SettingsWindowController::bringToFront()
{
    m_unavailableReason = m_canControlPointerDevices();
    if (ShellWindow* window = settingsWindow())
        installRootView(window);
    if (!m_window.bringForward([this] { return makeWindow(); },
                               QStringLiteral("Error: Settings window could not be initialized.")))
        return;
    m_permissionTimer.start();
}

void SettingsWindowController::checkAndUpdatePermissionStatus()
{
    const ControlUnavailableReason reason = m_canControlPointerDevices();
    if (reason == m_unavailableReason)
        return;
    m_unavailableReason = reason;
    // A minimised window catches up at the next bringToFront.
    if (ShellWindow* window = settingsWindow(); window && window->isOnScreen())
        installRootView(window);
}

ShellWindow* SettingsWindowController::makeWindow()
{
    auto* window = new ShellWindow(tr("Veloquill Settings"), kWindowSize);
    // Closed, the window goes whole (the next one starts afresh), and so does the poll.
    connect(window, &ShellWindow::closing, &m_permissionTimer, &QTimer::stop);
    offerTrayItemsIfNoTray(window);
    installRootView(window);
    return window;
}

void SettingsWindowController::installRootView(ShellWindow* window)
{
    QWidget* root = m_unavailableReason == ControlUnavailableReason::NoReason
                        ? m_deviceControls()
                        : new PermissionView(m_unavailableReason);
    window->setContent(root);
}

void SettingsWindowController::offerTrayItemsIfNoTray(ShellWindow* window)
{
    if (!m_noTrayOffer.isTrayAvailable || m_noTrayOffer.isTrayAvailable())
        return;
    auto* footer = new NoTrayFooter(m_noTrayOffer.makeStartAtLogin(), m_noTrayOffer.openAbout,
                                    &ShellWindow::quit);
    window->setFooter(footer);
    // Without a tray nothing on screen says the program is still running, nor how to reach it.
    window->setCloseGuard([this, footer] {
        if (m_closeNoticeShown)
            return true;
        m_closeNoticeShown = true;
        footer->showCloseNotice();
        return false;
    });
}

} // namespace veloquill
