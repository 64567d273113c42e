#pragma once

#include <QImage>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

struct _XDisplay;

namespace veloquill::test {

// A window as it appears on screen, in screen coordinates.
struct ScreenWindow
{
    unsigned long id = 0;
    QString title;
    // The window's own area, and the title bar and borders the window manager draws around it.
    QRect geometry;
    QMargins frame;
    // Where the size hints pin the size (minimum equal to maximum), that size.
    std::optional<QSize> fixedSize;

    QRect frameGeometry() const { return geometry.marginsAdded(frame); }
};

// Sees and works the screen as a person would, through its own X connection: finds a
// program's windows and its tray icon, clicks, types and takes pictures.
class ScreenRobot
{
public:
    explicit ScreenRobot(const QString& displayName);
    ~ScreenRobot();
    ScreenRobot(const ScreenRobot&) = delete;
    ScreenRobot& operator=(const ScreenRobot&) = delete;

    // A window manager announced itself and manages a window mapped now. (Openbox announces
    // itself before its start-up is over, and a window mapped in between is never shown.)
    bool windowManagerManagesNewWindows();
    // Someone owns the system tray selection, so tray icons can dock.
    bool hasTrayHost();
    // The tray host's panel, and the process's icon once it is shown docked in it.
    std::optional<QRect> trayPanel();
    std::optional<QRect> trayIcon(qint64 pid);
    // The process's mapped top-level window with that title, as the window manager shows it.
    std::optional<ScreenWindow> managedWindow(qint64 pid, const QString& title);
    // The process's mapped menus and popups, tooltips left out.
    QList<ScreenWindow> popups(qint64 pid);
    // Whether the keyboard goes to that window (or one inside it).
    bool hasKeyboardFocus(unsigned long window);

    QImage capture(const QRect& area);
    void click(QPoint at);
    // A key by its X keysym name: "Tab", "Prior", "space", "Escape".
    void pressKey(const QString& keysymName, int times = 1);

private:
    std::optional<ScreenWindow> describe(unsigned long window);
    std::optional<unsigned long> trayPanelWindow();
    std::optional<unsigned long> findInside(unsigned long window, qint64 pid);
    QList<unsigned long> children(unsigned long window);
    bool isViewable(unsigned long window);
    std::optional<qint64> processOf(unsigned long window);

    _XDisplay* m_display = nullptr;
};

} // namespace veloquill::test
