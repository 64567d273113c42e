// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace veloquill {

// Why this process cannot control pointer devices in the running session, as a backend
// finds it; the settings window explains each one and what the user can do about it.
enum class ControlUnavailableReason
{
    NoReason,             // it can (named so: Xlib defines None as a macro)
    WaylandSession,       // the session is Wayland (or the display is Xwayland's stand-in)
    NoXInput22,           // the X server's XInput is missing or older than 2.2
    DisplayLost,          // no X display, or the connection to it broke
    GnomeSettingsMissing, // GNOME's pointer settings schemas are not installed
    KWinUnreachable,      // KWin's input interface on the session bus does not answer
    SwayUnreachable,      // Sway's IPC socket ($SWAYSOCK) does not answer
};

} // namespace veloquill
