// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Xlib reports protocol errors and a lost connection through process-wide handlers whose
// defaults end the process. These route the errors of each watched display to its owner
// instead, and leave other displays to whatever handler was installed before.

#include <QString>

#include <functional>

struct _XDisplay;

namespace veloquill::x11 {

struct X11ErrorListener
{
    // One readable line describing a protocol error, and the serial of the request it belongs
    // to (which is otherwise ignored).
    std::function<void(const QString& description, unsigned long serial)> onError;
    // The connection is gone. Called from inside Xlib: record it, make no Xlib call.
    std::function<void()> onConnectionLost;
};

// Starts routing the display's errors to the listener. The display's I/O error exit
// handler returns instead of exiting (XSetIOErrorExitHandler, libX11 1.7 or later), so
// the Xlib call that met the broken connection simply fails.
void watchDisplayErrors(_XDisplay* display, X11ErrorListener listener);
void unwatchDisplayErrors(_XDisplay* display);

} // namespace veloquill::x11
