// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

struct _XDisplay;

namespace veloquill::test {

// A window as it appears on screen, in screen coordinates: its own area and the title bar and
// borders the window manager draws around it; where its size hints pin its size, that size.
struct ScreenWindow
{
    QRect geometry;
    QMargins frame;
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

    // Someone owns the system tray, so icons can dock; the process's icon docked there.
    bool hasTrayHost();
    std::optional<QRect> trayIcon(qint64 pid);
    // The process's top-level window with that title, once it is shown and has the keyboard.
    std::optional<ScreenWindow> focusedWindow(qint64 pid, const QString& title);
    // The process's mapped menus and popups, tooltips left out.
    QList<ScreenWindow> popups(qint64 pid);

    QImage capture(const QRect& area);
    void click(QPoint at);
    // A key by its X keysym name: "Tab", "Prior", "space", "Escape".
    void pressKey(const QString& keysymName, int times = 1);

private:
    _XDisplay* m_display = nullptr;
};

} // namespace veloquill::test
