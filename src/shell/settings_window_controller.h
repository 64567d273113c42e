// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/control_unavailable_reason.h"
#include "shell/shell_window.h"

#include <QObject>
#include <QSize>
#include <QTimer>

#include <functional>

namespace veloquill {

// Owns the one settings window. It shows the device controls while the program can control
// pointer devices and the permission view, saying why it cannot, otherwise; while the window
// is open it asks again every second, so the window follows a change without the user doing
// anything.
class SettingsWindowController : public QObject
{
    Q_OBJECT

public:
    // Whether this process may control pointer devices: NoReason when it may, else why not.
    using TrustQuery = std::function<ControlUnavailableReason()>;
    // Builds the window's content afresh each time it is installed.
    using ContentFactory = std::function<QWidget*()>;
    // What the window offers itself while no tray shows the menu (see NoTrayFooter).
    struct NoTrayOffer
    {
        std::function<bool()> isTrayAvailable;
        ContentFactory makeStartAtLogin;
        std::function<void()> openAbout;
    };

    static constexpr QSize kWindowSize{580, 480};
    static constexpr int kPermissionPollIntervalMs = 1000;

    SettingsWindowController(TrustQuery canControlPointerDevices, ContentFactory deviceControls,
                             QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // The program's controller. Its trust query and device controls are the ones given to
    // configureShared before first use (none: never trusted, empty controls).
    static SettingsWindowController& shared();
    static void configureShared(TrustQuery canControlPointerDevices, ContentFactory deviceControls);

    // Asked each time a window is made; without it (the default) a tray is taken to be there.
    // The program's controller offers the tray menu's items when
    // QSystemTrayIcon::isSystemTrayAvailable() is false.
    void setNoTrayOffer(NoTrayOffer offer) { m_noTrayOffer = std::move(offer); }

    // Asks for the permission state, makes the window or rebuilds its content, shows it in
    // front and (re)starts the permission poll.
    void bringToFront();
    // One poll: switches the content when the answer (or the reason) changed and the window
    // is on screen.
    void checkAndUpdatePermissionStatus();

    ShellWindow* settingsWindow() const { return m_window.window(); }

private:
    ShellWindow* makeWindow();
    void installRootView(ShellWindow* window);
    void offerTrayItemsIfNoTray(ShellWindow* window);

    TrustQuery m_canControlPointerDevices;
    ContentFactory m_deviceControls;
    OnDemandWindow m_window;
    ControlUnavailableReason m_unavailableReason = ControlUnavailableReason::DisplayLost;
    QTimer m_permissionTimer;
    NoTrayOffer m_noTrayOffer;
    // The notice on closing without a tray is shown once per run.
    bool m_closeNoticeShown = false;
};

} // namespace veloquill
