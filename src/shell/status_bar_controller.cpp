// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/status_bar_controller.h"

#include "login_item/start_at_login.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/about_window_controller.h"
#include "shell/menu_icon.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "support/log.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QTimer>

namespace veloquill {

StatusBarController::Actions StatusBarController::programActions()
{
    return {
        [] { SettingsWindowController::shared().bringToFront(); },
        [] { bringAboutWindowToFront(); },
        // The application's own quit, so the devices are restored on the way out.
        [] { ShellWindow::quit(); },
    };
}

StatusBarController::StatusBarController(Actions actions, QObject* parent)
    : QObject(parent), m_actions(std::move(actions))
{}

StatusBarController::~StatusBarController() = default;

void StatusBarController::setupStatusItem()
{
    m_statusItem = std::make_unique<QSystemTrayIcon>();
    m_statusItem->setIcon(m_precisionModeShown ? precisionMenuIcon() : menuIcon());
    m_statusItem->setToolTip(m_toolTip);
    buildMenu();
    m_statusItem->setContextMenu(m_menu.get());
    // A plain click opens the menu too, not only the context click.
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason != QSystemTrayIcon::Trigger)
                    return;
                // Below the icon where the tray says where it is, so the icon stays visible.
                const QRect icon = m_statusItem->geometry();
                m_menu->popup(icon.isValid() ? icon.bottomLeft() : QCursor::pos());
            });
    m_statusItem->show();
}

void StatusBarController::buildMenu()
{
    m_menu = std::make_unique<QMenu>();

    // Only keys that work while the menu is open: each item's underlined letter. Shortcuts
    // shown beside them would do nothing here.
    QAction* settings = m_menu->addAction(tr("&Veloquill settings..."));
    connect(settings, &QAction::triggered, this, [this] { m_actions.openSettings(); });

    // A checkable item flips its own mark when chosen; undone here, the mark shows only the
    // state reported back.
    const auto askingItem = [this](const QString& text, void (StatusBarController::*asked)()) {
        QAction* item = m_menu->addAction(text);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item, asked](bool checked) {
            item->setChecked(!checked);
            Q_EMIT(this->*asked)();
        });
        return item;
    };
    m_precisionModeMenuItem =
        askingItem(tr("&Precision mode"), &StatusBarController::precisionModeToggleRequested);
    m_precisionModeMenuItem->setChecked(m_precisionModeShown);
    m_menu->addSeparator();
    m_startAtLoginMenuItem =
        askingItem(tr("Start at &login"), &StatusBarController::startAtLoginToggleRequested);
    m_menu->addSeparator();

    QAction* about = m_menu->addAction(tr("&About Veloquill"));
    connect(about, &QAction::triggered, this, [this] { m_actions.openAbout(); });
    m_menu->addSeparator();

    QAction* quit = m_menu->addAction(tr("&Quit Veloquill"));
    connect(quit, &QAction::triggered, this, [this] { m_actions.quit(); });
}

void StatusBarController::setToolTip(const QString& text)
{
    // A device name that looks like markup is shown as written, not as rich text.
    m_toolTip = Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text) : text;
    if (m_statusItem)
        m_statusItem->setToolTip(m_toolTip);
}

void StatusBarController::setPrecisionModeShown(bool on)
{
    m_precisionModeShown = on;
    if (m_precisionModeMenuItem)
        m_precisionModeMenuItem->setChecked(on);
    if (m_statusItem)
        m_statusItem->setIcon(on ? precisionMenuIcon() : menuIcon());
}

QString trayToolTip(const std::optional<QString>& selectedDeviceID, const QString& listedDeviceName,
                    const QString& speed, bool precisionMode)
{
    if (!selectedDeviceID)
        return QCoreApplication::translate("TrayToolTip", "Veloquill \u2013 no device selected");
    const QString name = listedDeviceName.isEmpty()
                             ? PointerDevice::nameInStableID(*selectedDeviceID)
                             : listedDeviceName;
    // The tray host shows it as it is: one line, nothing in the name reordering the rest.
    return QCoreApplication::translate("TrayToolTip", "Veloquill \u2013 %1: speed %2")
               .arg(escapedForLog(name), speed) +
           (precisionMode ? QCoreApplication::translate("TrayToolTip", ", precision mode")
                          : QString());
}

void bindTrayToolTip(StatusBarController& controller, VeloquillPointerSettingsState& state)
{
    const auto update = [&controller, &state] {
        const PointerDeviceRef device = state.selectedDevice();
        controller.setToolTip(
            trayToolTip(state.selectedDeviceID(), device ? device->name() : QString(),
                        state.pointerSpeedFormatter().toString(state.currentPointerSpeed()),
                        state.precisionMode()));
    };
    update();
    QObject::connect(&state, &VeloquillPointerSettingsState::selectedDeviceIDChanged, &controller,
                     update);
    QObject::connect(&state, &VeloquillPointerSettingsState::currentPointerSpeedChanged,
                     &controller, update);
    controller.setPrecisionModeShown(state.precisionMode());
    QObject::connect(&state, &VeloquillPointerSettingsState::precisionModeChanged, &controller,
                     [&controller, update](bool on) {
                         controller.setPrecisionModeShown(on);
                         update();
                     });
    QObject::connect(&controller, &StatusBarController::precisionModeToggleRequested, &state,
                     [&state] { state.setPrecisionMode(!state.precisionMode()); });
}

void bindStartAtLoginMenu(StatusBarController& controller, StartAtLogin& startAtLogin)
{
    QObject::connect(&controller, &StatusBarController::startAtLoginToggleRequested, &startAtLogin,
                     [&startAtLogin] { startAtLogin.setEnabled(!startAtLogin.isEnabled()); });
    // Read on a later turn of the main loop, at first and once each change is done: what the
    // file system holds, so a refused change is not shown as done.
    const auto show = [&controller, &startAtLogin] {
        if (QAction* item = controller.startAtLoginAction())
            item->setChecked(startAtLogin.isEnabled());
    };
    QMetaObject::invokeMethod(&controller, show, Qt::QueuedConnection);
    QObject::connect(&startAtLogin, &StartAtLogin::willChange, &controller, show,
                     Qt::QueuedConnection);
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
