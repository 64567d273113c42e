// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_error_trap.h"

#include <map>
#include <mutex>

#include <X11/Xlib.h>

namespace veloquill::x11 {

namespace {
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
} // namespace

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

} // namespace veloquill::x11
