#include "screen_robot.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstring>
#include <stdexcept>

namespace veloquill::test {

namespace {
constexpr int kProbeTimeoutMs = 1000;

// Windows come and go while they are looked at (a menu closes, a tooltip fades): a
// request about a window that has just gone is answered with an error, not a crash.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

XErrorHandler g_previousHandler = nullptr;

// One property of a window as raw items; empty when it is not set.
template <typename Item>
QList<Item> property(Display* display, Window window, const char* name, Atom type)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const Atom atom = XInternAtom(display, name, False);
    QList<Item> items;
    if (XGetWindowProperty(display, window, atom, 0, 1024, False, type, &actualType, &actualFormat,
                           &count, &remaining, &data) != Success ||
        !data)
        return items;
    if (actualType == type) {
        if constexpr (sizeof(Item) == 1) {
            items.resize(static_cast<qsizetype>(count));
            std::memcpy(items.data(), data, count);
        } else {
            // Xlib hands 32-bit items out as longs.
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i)
                items.append(static_cast<Item>(longs[i]));
        }
    }
    XFree(data);
    return items;
}

QString utf8Property(Display* display, Window window, const char* name)
{
    const QList<char> bytes =
        property<char>(display, window, name, XInternAtom(display, "UTF8_STRING", False));
    return QString::fromUtf8(bytes.data(), bytes.size());
}
} // namespace

ScreenRobot::ScreenRobot(const QString& displayName)
    : m_display(XOpenDisplay(displayName.toLocal8Bit().constData()))
{
    if (!m_display)
        throw std::runtime_error("cannot open the screen robot's X connection");
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    if (previous != ignoreErrors)
        g_previousHandler = previous;
}

ScreenRobot::~ScreenRobot()
{
    XCloseDisplay(m_display);
    XSetErrorHandler(g_previousHandler);
}

bool ScreenRobot::windowManagerManagesNewWindows()
{
    const Window root = DefaultRootWindow(m_display);
    const QList<Window> check =
        property<Window>(m_display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.isEmpty())
        return false;
    // A small window of our own, given a moment to be managed.
    const Window probe = XCreateSimpleWindow(m_display, root, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(m_display, probe);
    sync();
    const QDeadlineTimer deadline(kProbeTimeoutMs);
    bool managed = false;
    while (!managed && !deadline.hasExpired()) {
        QThread::msleep(10);
        managed = property<Window>(m_display, root, "_NET_CLIENT_LIST", XA_WINDOW).contains(probe);
    }
    XDestroyWindow(m_display, probe);
    sync();
    return managed;
}

bool ScreenRobot::hasTrayHost()
{
    const QByteArray selection =
        "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(m_display));
    return XGetSelectionOwner(m_display, XInternAtom(m_display, selection.constData(), False)) !=
           None;
}

std::optional<ScreenWindow> ScreenRobot::managedWindow(qint64 pid, const QString& title)
{
    const Window root = DefaultRootWindow(m_display);
    for (Window window : property<Window>(m_display, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        if (processOf(window) != pid || !isViewable(window))
            continue;
        std::optional<ScreenWindow> described = describe(window);
        if (described && described->title == title)
            return described;
    }
    return std::nullopt;
}

std::optional<unsigned long> ScreenRobot::trayPanelWindow()
{
    for (Window window : children(DefaultRootWindow(m_display))) {
        // The dock may be reparented into a window manager frame: look one level down too.
        QList<Window> candidates{window};
        candidates.append(children(window));
        for (Window candidate : candidates) {
            if (windowClass(candidate) == QLatin1String("trayer") && isViewable(candidate))
                return candidate;
        }
    }
    return std::nullopt;
}

std::optional<QRect> ScreenRobot::trayPanel()
{
    const std::optional<Window> panel = trayPanelWindow();
    if (!panel)
        return std::nullopt;
    const std::optional<ScreenWindow> described = describe(*panel);
    return described ? std::optional<QRect>(described->geometry) : std::nullopt;
}

std::optional<QRect> ScreenRobot::trayIcon(qint64 pid)
{
    const std::optional<Window> panel = trayPanelWindow();
    if (!panel)
        return std::nullopt;
    const std::optional<Window> icon = findInside(*panel, pid);
    if (!icon || !isViewable(*icon))
        return std::nullopt;
    const std::optional<ScreenWindow> described = describe(*icon);
    return described ? std::optional<QRect>(described->geometry) : std::nullopt;
}

std::optional<unsigned long> ScreenRobot::findInside(unsigned long window, qint64 pid)
{
    for (Window child : children(window)) {
        if (processOf(child) == pid)
            return child;
        if (std::optional<Window> found = findInside(child, pid))
            return found;
    }
    return std::nullopt;
}

QList<ScreenWindow> ScreenRobot::popups(qint64 pid)
{
    QList<ScreenWindow> found;
    for (Window window : children(DefaultRootWindow(m_display))) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, window, &attributes) ||
            !attributes.override_redirect || attributes.map_state != IsViewable ||
            processOf(window) != pid)
            continue;
        if (std::optional<ScreenWindow> described = describe(window))
            found.append(*described);
    }
    return found;
}

bool ScreenRobot::hasKeyboardFocus(unsigned long window)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    // Walk up from the focus: a toolkit may focus a window inside its top-level.
    while (focus != None && focus != PointerRoot) {
        if (focus == window)
            return true;
        Window root = None, parent = None;
        Window* list = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, focus, &root, &parent, &list, &count))
            return false;
        if (list)
            XFree(list);
        if (parent == root)
            return false;
        focus = parent;
    }
    return false;
}

QImage ScreenRobot::capture(const QRect& area)
{
    const QRect bounded = area.intersected(QRect(QPoint(), screenSize()));
    XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), bounded.x(), bounded.y(),
                              static_cast<unsigned>(bounded.width()),
                              static_cast<unsigned>(bounded.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage picture(bounded.size(), QImage::Format_RGB32);
    const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xff0000 &&
                        image->green_mask == 0xff00 && image->blue_mask == 0xff &&
                        image->byte_order == LSBFirst;
    for (int y = 0; y < bounded.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        if (direct) {
            std::memcpy(line, image->data + y * image->bytes_per_line,
                        static_cast<size_t>(bounded.width()) * 4);
            continue;
        }
        for (int x = 0; x < bounded.width(); ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const auto channel = [pixel](unsigned long mask) {
                int shift = 0;
                while (mask && !(mask & 1)) {
                    mask >>= 1;
                    ++shift;
                }
                return mask ? static_cast<int>(((pixel >> shift) & mask) * 255 / mask) : 0;
            };
            line[x] = qRgb(channel(image->red_mask), channel(image->green_mask),
                           channel(image->blue_mask));
        }
    }
    XDestroyImage(image);
    // Screen pixels carry no alpha; make the picture opaque whatever the padding byte held.
    return picture.convertToFormat(QImage::Format_RGB888);
}

QSize ScreenRobot::screenSize()
{
    const int screen = DefaultScreen(m_display);
    return {DisplayWidth(m_display, screen), DisplayHeight(m_display, screen)};
}

void ScreenRobot::moveTo(QPoint at)
{
    XTestFakeMotionEvent(m_display, -1, at.x(), at.y(), CurrentTime);
    sync();
}

void ScreenRobot::click(QPoint at)
{
    moveTo(at);
    XTestFakeButtonEvent(m_display, Button1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, Button1, False, CurrentTime);
    sync();
}

void ScreenRobot::pressKey(const QString& keysymName, int times)
{
    const KeySym keysym = XStringToKeysym(keysymName.toLatin1().constData());
    const KeyCode keycode = XKeysymToKeycode(m_display, keysym);
    if (keycode == 0)
        throw std::runtime_error("no key for " + keysymName.toStdString());
    for (int i = 0; i < times; ++i) {
        XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
        XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    }
    sync();
}

std::optional<ScreenWindow> ScreenRobot::describe(unsigned long window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, window, &attributes))
        return std::nullopt;
    int x = 0, y = 0;
    Window child = None;
    if (!XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y,
                               &child))
        return std::nullopt;

    ScreenWindow described;
    described.id = window;
    described.geometry = QRect(x, y, attributes.width, attributes.height);
    described.title = utf8Property(m_display, window, "_NET_WM_NAME");
    const QList<long> extents =
        property<long>(m_display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (extents.size() == 4)
        described.frame =
            QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
    XSizeHints hints;
    long supplied = 0;
    if (XGetWMNormalHints(m_display, window, &hints, &supplied) && (hints.flags & PMinSize) &&
        (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
        hints.min_height == hints.max_height)
        described.fixedSize = QSize(hints.min_width, hints.min_height);
    const Atom tooltip = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
    described.isTooltip =
        property<Atom>(m_display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM).contains(tooltip);
    return described;
}

QList<unsigned long> ScreenRobot::children(unsigned long window)
{
    Window root = None, parent = None;
    Window* list = nullptr;
    unsigned int count = 0;
    QList<unsigned long> found;
    if (!XQueryTree(m_display, window, &root, &parent, &list, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i)
        found.append(list[i]);
    if (list)
        XFree(list);
    return found;
}

bool ScreenRobot::isViewable(unsigned long window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(m_display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

std::optional<qint64> ScreenRobot::processOf(unsigned long window)
{
    const QList<long> pid = property<long>(m_display, window, "_NET_WM_PID", XA_CARDINAL);
    if (pid.isEmpty())
        return std::nullopt;
    return pid.first();
}

QString ScreenRobot::windowClass(unsigned long window)
{
    XClassHint hint{nullptr, nullptr};
    if (!XGetClassHint(m_display, window, &hint))
        return {};
    const QString name = QString::fromLocal8Bit(hint.res_class);
    XFree(hint.res_name);
    XFree(hint.res_class);
    return name;
}

void ScreenRobot::sync()
{
    XSync(m_display, False);
}

} // namespace veloquill::test
