// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_connection.h"

#include "device/x11/x11_properties.h"
#include "support/log.h"

#include <QAbstractEventDispatcher>
#include <QPointer>
#include <QSocketNotifier>

#include <map>
#include <mutex>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace veloquill::x11 {

namespace {
// Xlib reports protocol errors and a lost connection through process-wide handlers whose
// defaults end the process. These route the errors of each watched display to its owner
// instead, and leave other displays to whatever handler was installed before.
struct X11ErrorListener
{
    // One readable line describing a protocol error, and the serial of the request it belongs
    // to (which is otherwise ignored).
    std::function<void(const QString& description, unsigned long serial)> onError;
    // The connection is gone. Called from inside Xlib: record it, make no Xlib call.
    std::function<void()> onConnectionLost;
};

struct Routing
{
    std::mutex mutex;
    std::map<Display*, X11ErrorListener> listeners;
    XErrorHandler previousErrorHandler = nullptr;
    XIOErrorHandler previousIOErrorHandler = nullptr;
    bool installed = false;
};

Routing& routing()
{
    static Routing instance;
    return instance;
}

// Copies the listener out so that it runs without the lock held.
bool listenerFor(Display* display, X11ErrorListener& listener)
{
    std::lock_guard lock(routing().mutex);
    const auto found = routing().listeners.find(display);
    if (found == routing().listeners.end())
        return false;
    listener = found->second;
    return true;
}

QString describeError(Display* display, const XErrorEvent& error)
{
    char text[160] = {};
    XGetErrorText(display, error.error_code, text, sizeof text);
    return QStringLiteral("X error ") + QString::fromLocal8Bit(text) +
           QStringLiteral(" (request ") + QString::number(error.request_code) + QLatin1Char('.') +
           QString::number(error.minor_code) + QStringLiteral(", resource 0x") +
           QString::number(error.resourceid, 16) + QLatin1Char(')');
}

int routeError(Display* display, XErrorEvent* error)
{
    X11ErrorListener listener;
    if (listenerFor(display, listener)) {
        if (listener.onError)
            listener.onError(describeError(display, *error), error->serial);
        return 0;
    }
    const XErrorHandler previous = routing().previousErrorHandler;
    return previous ? previous(display, error) : 0;
}

int routeIOError(Display* display)
{
    X11ErrorListener listener;
    if (listenerFor(display, listener)) {
        if (listener.onConnectionLost)
            listener.onConnectionLost();
        return 0;
    }
    const XIOErrorHandler previous = routing().previousIOErrorHandler;
    return previous ? previous(display) : 0;
}

// Returning from here is what keeps the process alive (instead of Xlib's exit()).
void returnFromIOError(Display*, void*) {}

// Starts routing the display's errors to the listener. The display's I/O error exit handler
// returns instead of exiting (XSetIOErrorExitHandler, libX11 1.7 or later), so the Xlib call
// that met the broken connection simply fails.
void watchDisplayErrors(Display* display, X11ErrorListener listener)
{
    {
        std::lock_guard lock(routing().mutex);
        routing().listeners[display] = std::move(listener);
        if (!routing().installed) {
            routing().previousErrorHandler = XSetErrorHandler(&routeError);
            routing().previousIOErrorHandler = XSetIOErrorHandler(&routeIOError);
            routing().installed = true;
        }
    }
    XSetIOErrorExitHandler(display, &returnFromIOError, nullptr);
}

void unwatchDisplayErrors(Display* display)
{
    std::lock_guard lock(routing().mutex);
    routing().listeners.erase(display);
}

constexpr int kRequiredMajor = 2;
constexpr int kRequiredMinor = 2;

QString displayNameFor(const QString& requested)
{
    return requested.isEmpty() ? QString::fromLocal8Bit(qgetenv("DISPLAY")) : requested;
}

// Opens the display and checks for XInput 2.2 or later; null with the reason on failure.
Display* openWithXInput(const QString& name, int* xiOpcode, QString* failure,
                        ControlUnavailableReason* reason)
{
    if (name.isEmpty()) {
        *failure = QStringLiteral("no X display (DISPLAY is not set)");
        // A Wayland session without Xwayland has no X display at all.
        *reason = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                      ? ControlUnavailableReason::DisplayLost
                      : ControlUnavailableReason::WaylandSession;
        return nullptr;
    }
    *reason = ControlUnavailableReason::DisplayLost;
    Display* display = XOpenDisplay(name.toLocal8Bit().constData());
    if (!display) {
        *failure = QStringLiteral("cannot open X display \"") + name + QLatin1Char('"');
        return nullptr;
    }
    *reason = ControlUnavailableReason::NoXInput22;
    int firstEvent = 0, firstError = 0;
    if (!XQueryExtension(display, "XInputExtension", xiOpcode, &firstEvent, &firstError)) {
        *failure = QStringLiteral("X display \"") + name + QStringLiteral("\" has no XInput");
        XCloseDisplay(display);
        return nullptr;
    }
    int major = kRequiredMajor, minor = kRequiredMinor;
    if (XIQueryVersion(display, &major, &minor) != Success || major < kRequiredMajor ||
        (major == kRequiredMajor && minor < kRequiredMinor)) {
        *failure = QStringLiteral("X display \"") + name + QStringLiteral("\" has XInput ") +
                   QString::number(major) + QLatin1Char('.') + QString::number(minor) +
                   QStringLiteral(", 2.2 or later is needed");
        XCloseDisplay(display);
        return nullptr;
    }
    *reason = ControlUnavailableReason::NoReason;
    return display;
}
} // namespace

std::unique_ptr<X11Connection> X11Connection::open(const QString& displayName, QString* failure,
                                                   ControlUnavailableReason* reason)
{
    const QString name = displayNameFor(displayName);
    int opcode = 0;
    Display* display = openWithXInput(name, &opcode, failure, reason);
    if (!display)
        return nullptr;
    auto connection = std::unique_ptr<X11Connection>(new X11Connection(display, opcode));
    connection->m_displayName = name;
    return connection;
}

QString X11Connection::probe(const QString& displayName)
{
    QString failure;
    int opcode = 0;
    ControlUnavailableReason reason;
    if (Display* display = openWithXInput(displayNameFor(displayName), &opcode, &failure, &reason))
        XCloseDisplay(display);
    return failure;
}

X11Connection::X11Connection(Display* display, int xiOpcode)
    : m_display(display), m_xiOpcode(xiOpcode), m_properties(std::make_unique<X11PropertyCache>())
{
    watchDisplayErrors(display, {[this](const QString& description, unsigned long serial) {
                                     ++m_errorCount;
                                     if (m_keepErrorSerials)
                                         m_errorSerials.push_back(serial);
                                     logLine(QStringLiteral("X11HidEventSystem: ") + description +
                                             QStringLiteral(" ignored"));
                                 },
                                 [this] { m_lost = true; }});
    m_notifier = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Connection::drain);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &X11Connection::endTurn);
}

void X11Connection::endTurn()
{
    m_look.reset();
    m_properties->endTurn();
}

X11Connection::~X11Connection()
{
    // Still watched while closing: a server that went away unnoticed makes XCloseDisplay meet
    // the broken connection, and Xlib's default handlers would end the process.
    XCloseDisplay(m_display);
    unwatchDisplayErrors(m_display);
}

bool X11Connection::isLocal() const
{
    const QString name = QString::fromLocal8Bit(DisplayString(m_display));
    const QString host = name.left(name.lastIndexOf(QLatin1Char(':')));
    return host.isEmpty() || host == QLatin1String("unix") || host == QLatin1String("localhost") ||
           host.startsWith(QLatin1Char('/'));
}

void X11Connection::sync()
{
    if (!m_lost)
        XSync(m_display, False);
    afterReply();
}

void X11Connection::afterReply()
{
    if (m_lost) {
        noteLost();
        return;
    }
    if (XEventsQueued(m_display, QueuedAlready) > 0)
        scheduleDrain();
}

void X11Connection::scheduleDrain()
{
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_drainScheduled = false;
            drain();
        },
        Qt::QueuedConnection);
}

void X11Connection::drain()
{
    if (m_draining) {
        // A handler ran a nested event loop; finish the outer drain first.
        scheduleDrain();
        return;
    }
    m_draining = true;
    QPointer<X11Connection> self(this);
    while (!m_lost && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (m_eventHandler)
            m_eventHandler(event);
        if (!self)
            return; // a handler let go of the backend
    }
    m_draining = false;
    if (m_lost)
        noteLost();
}

void X11Connection::noteLost()
{
    if (m_lostReported)
        return;
    m_lostReported = true;
    m_notifier->setEnabled(false);
    logLine(QStringLiteral("X11HidEventSystem: lost the connection to X display \"") +
            m_displayName + QLatin1Char('"'));
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_connectionLostHandler)
                m_connectionLostHandler();
        },
        Qt::QueuedConnection);
}

unsigned long X11Connection::nextRequestSerial() const
{
    return NextRequest(m_display);
}

namespace {
struct QueuedEvents
{
    int inputOpcode = 0;
    int propertyEvents = 0;
    bool hierarchyChanged = false;
};

// Looks at each queued event once and takes none.
Bool countQueued(Display*, XEvent* event, XPointer arg)
{
    auto* queued = reinterpret_cast<QueuedEvents*>(arg);
    if (event->type == GenericEvent && event->xcookie.extension == queued->inputOpcode) {
        if (event->xcookie.evtype == XI_PropertyEvent)
            ++queued->propertyEvents;
        else if (event->xcookie.evtype == XI_HierarchyChanged)
            queued->hierarchyChanged = true;
    }
    return False;
}
} // namespace

bool X11Connection::propertiesCurrent()
{
    if (m_lost)
        return false;
    // A step reads many properties: the socket is looked at once per turn, and again only when
    // something else read more from it.
    if (!m_look || m_look->queued != XEventsQueued(m_display, QueuedAlready)) {
        QueuedEvents queued{m_xiOpcode};
        XEvent unused;
        XCheckIfEvent(m_display, &unused, &countQueued, reinterpret_cast<XPointer>(&queued));
        afterReply(); // what it read is handled on the main loop
        m_look = Look{XEventsQueued(m_display, QueuedAlready), queued.propertyEvents,
                      queued.hierarchyChanged};
    }
    return !m_look->hierarchyChanged && m_look->propertyEvents <= m_properties->ownEventsDue();
}

} // namespace veloquill::x11
