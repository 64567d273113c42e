// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screen_robot.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>

namespace veloquill::test {

namespace {
// Windows come and go while they are looked at (a menu closes, a tooltip fades): a
// request about a window that has just gone is answered with an error, not a crash.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// One property of a window as 32-bit items (Xlib hands them out as longs), or as text.
QList<long> property(Display* display, Window window, const char* name, Atom type,
                     QString* text = nullptr)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    QList<long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type,
                           &actualType, &format, &count, &remaining, &data) == Success &&
        data && actualType == type) {
        if (format == 8 && text)
            *text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
        else if (format == 32)
            items =
                QList<long>(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    }
    XFree(data);
    return items;
}

QList<Window> children(Display* display, Window window)
{
    Window root = None, parent = None, *list = nullptr;
    unsigned int count = 0;
    QList<Window> found;
    if (XQueryTree(display, window, &root, &parent, &list, &count))
        found = QList<Window>(list, list + count);
    XFree(list);
    return found;
}

bool isViewable(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

bool belongsTo(Display* display, Window window, qint64 pid)
{
    return property(display, window, "_NET_WM_PID", XA_CARDINAL).value(0, -1) == pid;
}

std::optional<ScreenWindow> describe(Display* display, Window window)
{
    XWindowAttributes attributes;
    int x = 0, y = 0;
    Window child = None;
    if (!XGetWindowAttributes(display, window, &attributes) ||
        !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return std::nullopt;
    ScreenWindow described{QRect(x, y, attributes.width, attributes.height), {}, {}};
    const QList<long> extents = property(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (extents.size() == 4)
        described.frame =
            QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
    XSizeHints hints;
    long supplied = 0;
    if (XGetWMNormalHints(display, window, &hints, &supplied) && (hints.flags & PMinSize) &&
        (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
        hints.min_height == hints.max_height)
        described.fixedSize = QSize(hints.min_width, hints.min_height);
    return described;
}

std::optional<Window> findInside(Display* display, Window window, qint64 pid)
{
    for (Window child : children(display, window)) {
        if (belongsTo(display, child, pid))
            return child;
        if (std::optional<Window> found = findInside(display, child, pid))
            return found;
    }
    return std::nullopt;
}

} // namespace

ScreenRobot::ScreenRobot(const QString& displayName)
    : m_display(XOpenDisplay(displayName.toLocal8Bit().constData()))
{
    if (!m_display)
        throw std::runtime_error("cannot open the screen robot's X connection");
    XSetErrorHandler(ignoreErrors);
}

ScreenRobot::~ScreenRobot()
{
    XCloseDisplay(m_display);
}

bool ScreenRobot::hasTrayHost()
{
    const QByteArray tray = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(m_display));
    return XGetSelectionOwner(m_display, XInternAtom(m_display, tray, False)) != None;
}

// The window of the process docked into the tray: neither a top-level it put up (managed, in
// a frame) nor a menu (unmanaged, on the root).
std::optional<QRect> ScreenRobot::trayIcon(qint64 pid)
{
    const Window root = DefaultRootWindow(m_display);
    const QList<long> managed = property(m_display, root, "_NET_CLIENT_LIST", XA_WINDOW);
    for (Window topLevel : children(m_display, root)) {
        const std::optional<Window> icon = findInside(m_display, topLevel, pid);
        if (icon && !managed.contains(*icon) && isViewable(m_display, *icon))
            if (const std::optional<ScreenWindow> described = describe(m_display, *icon))
                return described->geometry;
    }
    return std::nullopt;
}

std::optional<ScreenWindow> ScreenRobot::focusedWindow(qint64 pid, const QString& title)
{
    // The window manager's active window is the one the keyboard goes to.
    const Window active =
        property(m_display, DefaultRootWindow(m_display), "_NET_ACTIVE_WINDOW", XA_WINDOW)
            .value(0, None);
    QString name;
    property(m_display, active, "_NET_WM_NAME", XInternAtom(m_display, "UTF8_STRING", False),
             &name);
    if (active == None || !belongsTo(m_display, active, pid) || name != title)
        return std::nullopt;
    return describe(m_display, active);
}

QList<ScreenWindow> ScreenRobot::popups(qint64 pid)
{
    const long tooltip = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
    QList<ScreenWindow> found;
    for (Window window : children(m_display, DefaultRootWindow(m_display))) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, window, &attributes) && attributes.override_redirect &&
            attributes.map_state == IsViewable && belongsTo(m_display, window, pid) &&
            !property(m_display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM).contains(tooltip))
            if (std::optional<ScreenWindow> described = describe(m_display, window))
                found.append(*described);
    }
    return found;
}

QImage ScreenRobot::capture(const QRect& area)
{
    const Screen* screen = DefaultScreenOfDisplay(m_display);
    const QRect bounded = area.intersected(QRect(0, 0, screen->width, screen->height));
    XImage* image =
        XGetImage(m_display, DefaultRootWindow(m_display), bounded.x(), bounded.y(),
                  unsigned(bounded.width()), unsigned(bounded.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    // Xvfb's 24-bit screen holds each pixel as 0x??RRGGBB; the padding byte is no alpha.
    const QImage picture = QImage(reinterpret_cast<const uchar*>(image->data), bounded.width(),
                                  bounded.height(), image->bytes_per_line, QImage::Format_RGB32)
                               .convertToFormat(QImage::Format_RGB888);
    XDestroyImage(image);
    return picture;
}

void ScreenRobot::click(QPoint at)
{
    XTestFakeMotionEvent(m_display, -1, at.x(), at.y(), CurrentTime);
    XTestFakeButtonEvent(m_display, Button1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, Button1, False, CurrentTime);
    XSync(m_display, False);
}

void ScreenRobot::pressKey(const QString& keysymName, int times)
{
    const KeyCode keycode =
        XKeysymToKeycode(m_display, XStringToKeysym(keysymName.toLatin1().constData()));
    if (keycode == 0)
        throw std::runtime_error("no key for " + keysymName.toStdString());
    for (int i = 0; i < times; ++i) {
        XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
        XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    }
    XSync(m_display, False);
}

} // namespace veloquill::test
