#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

struct _XDisplay;

namespace veloquill::test {

// A window as it appears on screen. Geometry is in screen coordinates.
struct ScreenWindow
{
    unsigned long id = 0;
    QString title;
    // The window's own area, without the window manager's decoration.
    QRect geometry;
    // The title bar and borders the window manager draws around it.
    QMargins frame;
    // Where the size hints pin the size (minimum equal to maximum), that size.
    std::optional<QSize> fixedSize;
    bool isTooltip = false;

    QRect frameGeometry() const { return geometry.marginsAdded(frame); }
};

// Sees and works the screen as a person would, through its own X connection: finds a
// program's windows and its tray icon, moves the pointer, clicks, types and takes pictures.
class ScreenRobot
{
public:
    explicit ScreenRobot(const QString& displayName);
    ~ScreenRobot();
    ScreenRobot(const ScreenRobot&) = delete;
    ScreenRobot& operator=(const ScreenRobot&) = delete;

    bool isConnected() const { return m_display != nullptr; }

    // A window manager has taken over and puts up new windows: it announced itself and a
    // window mapped now gets managed. (Openbox announces itself before its start-up is over,
    // and a window mapped in between is never shown.)
    bool windowManagerManagesNewWindows();
    // Someone owns the system tray selection, so tray icons can dock.
    bool hasTrayHost();

    // The mapped top-level window with that title that the process put up, as managed by
    // the window manager.
    std::optional<ScreenWindow> managedWindow(qint64 pid, const QString& title);
    // The process's icon docked in the tray host's panel, once it is shown.
    std::optional<QRect> trayIcon(qint64 pid);
    // The process's mapped unmanaged windows (menus, popups, tooltips), lowest first.
    QList<ScreenWindow> popups(qint64 pid);
    // The panel of the tray host, where docked icons sit.
    std::optional<QRect> trayPanel();
    // Whether the keyboard goes to that window (or one inside it).
    bool hasKeyboardFocus(unsigned long window);

    QImage capture(const QRect& area);
    QSize screenSize();

    void moveTo(QPoint at);
    void click(QPoint at);
    // A key by its X keysym name: "Tab", "Prior", "space", "Escape".
    void pressKey(const QString& keysymName, int times = 1);

private:
    std::optional<ScreenWindow> describe(unsigned long window);
    std::optional<unsigned long> trayPanelWindow();
    QList<unsigned long> children(unsigned long window);
    bool isViewable(unsigned long window);
    std::optional<qint64> processOf(unsigned long window);
    QString windowClass(unsigned long window);
    std::optional<unsigned long> findInside(unsigned long window, qint64 pid);
    void sync();

    _XDisplay* m_display = nullptr;
};

} // namespace veloquill::test
