// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace veloquill {

class PointerDeviceManager;
class StatusBarController;
class VeloquillPointerSettingsState;

// Drives the program: at launch the tray item, then device observation, then the saved
// settings a tenth of a second later; at quit every device put back the way it was found
// before observation stops. It also answers reopen requests.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // The settings state is asked for only when the saved settings are applied, so that it
    // first sees the devices present at launch.
    using SettingsStateProvider = std::function<VeloquillPointerSettingsState&()>;

    // The interface the delegate sets up and shows; left empty, it runs without one (the
    // device side alone, as in tests).
    struct Interface
    {
        std::function<std::unique_ptr<StatusBarController>()> makeStatusBarController;
        std::function<void()> showSettingsWindow;
        // Run after the saved settings were applied (opening the settings window when no
        // tray can show the item).
        std::function<void()> afterSavedSettingsApplied;
    };

    AppDelegate(PointerDeviceManager& manager, SettingsStateProvider settingsState,
                Interface interface = {}, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    // Whether the termination put every device back (true until it ran).
    bool restoredEveryDevice() const { return m_restored; }
    // Shows the settings window when no window of the program is visible.
    void applicationShouldHandleReopen(bool hasVisibleWindows);

    StatusBarController* statusBarController() const { return m_statusBarController.get(); }

    static constexpr int SavedSettingsDelayMs = 100;

private:
    void applySavedSettingsAfterStartup();

    PointerDeviceManager& m_manager;
    SettingsStateProvider m_settingsState;
    Interface m_interface;
    std::unique_ptr<StatusBarController> m_statusBarController;
    bool m_terminated = false;
    bool m_restored = true;
};

} // namespace veloquill
