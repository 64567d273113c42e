#pragma once

#include "device/control_unavailable_reason.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <functional>

class QWidget;

namespace veloquill {

class ShellWindow;

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

    static constexpr QSize kWindowSize{580, 480};
    static constexpr int kPermissionPollIntervalMs = 1000;

    SettingsWindowController(TrustQuery canControlPointerDevices, ContentFactory deviceControls,
                             QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // The program's controller. Its trust query and device controls are the ones given to
    // configureShared before first use (none: never trusted, empty controls).
    static SettingsWindowController& shared();
    static void configureShared(TrustQuery canControlPointerDevices, ContentFactory deviceControls);

    // Asks for the permission state, makes the window or rebuilds its content, shows it in
    // front and (re)starts the permission poll.
    void bringToFront();
    // One poll: switches the content when the answer (or the reason) changed and the window
    // is on screen.
    void checkAndUpdatePermissionStatus();

    ShellWindow* settingsWindow() const;

private:
    void initWindowIfNeeded();
    void installRootView();
    void windowWillClose();

    TrustQuery m_canControlPointerDevices;
    ContentFactory m_deviceControls;
    QPointer<ShellWindow> m_settingsWindow;
    bool m_windowReleased = true;
    ControlUnavailableReason m_unavailableReason = ControlUnavailableReason::DisplayLost;
    QTimer m_permissionTimer;
};

} // namespace veloquill
