// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace veloquill {

class StartAtLogin;
class VeloquillPointerSettingsState;

// The tray icon and its menu: the program's one permanent presence on screen.
class StatusBarController : public QObject
{
    Q_OBJECT

public:
    // What the menu's items do.
    struct Actions
    {
        std::function<void()> openSettings;
        std::function<void()> openAbout;
        std::function<void()> quit;
    };
    // The shared settings and About windows, and the application's normal quit.
    static Actions programActions();

    explicit StatusBarController(Actions actions = programActions(), QObject* parent = nullptr);
    ~StatusBarController() override;

    // Creates the tray icon with its menu and shows it.
    void setupStatusItem();

    QSystemTrayIcon* statusItem() const { return m_statusItem.get(); }
    QMenu* menu() const { return m_menu.get(); }
    QAction* startAtLoginAction() const { return m_startAtLoginMenuItem; }
    QAction* precisionModeAction() const { return m_precisionModeMenuItem; }

    // The icon's tooltip, kept for an icon set up later.
    void setToolTip(const QString& text);
    QString toolTip() const { return m_toolTip; }

    // Shows precision mode as the item's check mark and the icon's variant.
    void setPrecisionModeShown(bool on);

Q_SIGNALS:
    // "Start at login" was chosen. The item never changes its own check mark: the
    // launch-at-login state comes back through bindStartAtLoginMenu.
    void startAtLoginToggleRequested();
    // "Precision mode" was chosen; like "Start at login" its mark follows the state reported.
    void precisionModeToggleRequested();

private:
    void buildMenu();

    Actions m_actions;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_startAtLoginMenuItem = nullptr;  // owned by the menu
    QAction* m_precisionModeMenuItem = nullptr; // owned by the menu
    bool m_precisionModeShown = false;
    QString m_toolTip;
};

// "Veloquill – <device>: speed <speed>", or "Veloquill – no device selected". The device is
// the listed device's name, or, while the selected device is not connected
// (listedDeviceName empty), the name inside its stableID.
QString trayToolTip(const std::optional<QString>& selectedDeviceID, const QString& listedDeviceName,
                    const QString& speed, bool precisionMode = false);

// Keeps the tray icon's tooltip on the state's selection, speed and precision mode, and the
// "Precision mode" item and icon on precision mode, while the controller lives; choosing the
// item switches it.
void bindTrayToolTip(StatusBarController& controller, VeloquillPointerSettingsState& state);

// Connects the menu's "Start at login" item to the launch-at-login state: choosing it writes
// the opposite of what the file system says now, and the check mark shows what it says, read
// on a later turn of the main loop at first and after each change. The binding lasts as long
// as the controller.
void bindStartAtLoginMenu(StatusBarController& controller, StartAtLogin& startAtLogin);

// How long a tray host has to appear at start (a panel may come up after the program), and
// how often it is asked meanwhile.
struct TrayWait
{
    std::chrono::milliseconds timeout{10000};
    std::chrono::milliseconds poll{250};
};

// Without a tray host the tray icon cannot be seen, and the settings window is the only way
// in: when none has appeared by the end of the wait, opens it and logs why. Call once at
// start, after the tray icon has been set up; returns at once, the wait runs on the main loop.
void openSettingsIfNoTrayHost(std::function<bool()> isTrayAvailable,
                              std::function<void()> openSettings, TrayWait wait = {});

} // namespace veloquill
