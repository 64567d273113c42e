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
struct Routing
{
    std::mutex mutex;
    std::map<Display*, X11Connection*> connections;
    XErrorHandler previousErrorHandler = nullptr;
    XIOErrorHandler previousIOErrorHandler = nullptr;
    bool installed = false;
};

Routing& routing()
{
    static Routing instance;
    return instance;
}

// Looked up under the lock; the connection is then called without it held.
X11Connection* connectionFor(Display* display)
{
    std::lock_guard lock(routing().mutex);
    const auto found = routing().connections.find(display);
    return found == routing().connections.end() ? nullptr : found->second;
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

// Returning from here is what keeps the process alive (instead of Xlib's exit()).
void returnFromIOError(Display*, void*) {}
} // namespace

// Xlib reports protocol errors and a lost connection through process-wide handlers whose
// defaults end the process. These route the errors of each watched display to its connection
// instead, and leave other displays to whatever handler was installed before.
struct X11ErrorRouting
{
    static int routeError(Display* display, XErrorEvent* error)
    {
        X11Connection* connection = connectionFor(display);
        if (!connection) {
            const XErrorHandler previous = routing().previousErrorHandler;
            return previous ? previous(display, error) : 0;
        }
        ++connection->m_errorCount;
        // The serial of the refused request, otherwise ignored, tells apart a batch's writes.
        if (connection->m_keepErrorSerials)
            connection->m_errorSerials.push_back(error->serial);
        logLine(QStringLiteral("X11HidEventSystem: ") + describeError(display, *error) +
                QStringLiteral(" ignored"));
        return 0;
    }

    // The connection is gone. Called from inside Xlib: record it, make no Xlib call.
    static int routeIOError(Display* display)
    {
        X11Connection* connection = connectionFor(display);
        if (!connection) {
            const XIOErrorHandler previous = routing().previousIOErrorHandler;
            return previous ? previous(display) : 0;
        }
        connection->m_lost = true;
        return 0;
    }

    // Starts routing the display's errors to the connection. The display's I/O error exit
    // handler returns instead of exiting (XSetIOErrorExitHandler, libX11 1.7 or later), so the
    // Xlib call that met the broken connection simply fails.
    static void watch(X11Connection* connection)
    {
        {
            std::lock_guard lock(routing().mutex);
            routing().connections[connection->m_display] = connection;
            if (!routing().installed) {
                routing().previousErrorHandler = XSetErrorHandler(&routeError);
                routing().previousIOErrorHandler = XSetIOErrorHandler(&routeIOError);
                routing().installed = true;
            }
        }
        XSetIOErrorExitHandler(connection->m_display, &returnFromIOError, nullptr);
    }

    static void unwatch(Display* display)
    {
        std::lock_guard lock(routing().mutex);
        routing().connections.erase(display);
    }
};

namespace {
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
    X11ErrorRouting::watch(this);
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
    X11ErrorRouting::unwatch(m_display);
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
