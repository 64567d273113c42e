// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace veloquill {

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

    // Shows the launch-at-login state as the "Start at login" check mark.
    void setStartAtLoginChecked(bool enabled);

    // Shows precision mode as the item's check mark and the icon's variant.
    void setPrecisionModeShown(bool on);
    bool precisionModeShown() const { return m_precisionModeShown; }

    void openSettingsAction();
    void openAboutAction();
    void toggleStartAtLoginAction();
    void quitApplicationAction();

Q_SIGNALS:
    // "Start at login" was chosen. The item never changes its own check mark: the
    // launch-at-login state comes back through setStartAtLoginChecked.
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

} // namespace veloquill
