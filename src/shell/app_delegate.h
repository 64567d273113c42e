#pragma once

#include <QObject>

#include <functional>

namespace veloquill {

class PointerDeviceManager;
class VeloquillPointerSettingsState;

// Drives the device side of the program: observation from launch, and every device put
// back the way it was found before observation stops at quit.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // The settings state is asked for only when the saved settings are applied, a tenth of
    // a second after launch, so that it first sees the devices present at launch.
    using SettingsStateProvider = std::function<VeloquillPointerSettingsState&()>;

    AppDelegate(PointerDeviceManager& manager, SettingsStateProvider settingsState,
                QObject* parent = nullptr);

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    static constexpr int SavedSettingsDelayMs = 100;

private:
    void applySavedSettingsAfterStartup();

    PointerDeviceManager& m_manager;
    SettingsStateProvider m_settingsState;
    bool m_terminated = false;
};

} // namespace veloquill
