// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Which backend serves the running session, decided at start from the environment ($SWAYSOCK
// among it), a choice forced on the command line, and whether KWin answers on the session bus.
// Pure: the caller gathers the inputs, so every case can be tested.

#include "device/control_unavailable_reason.h"

#include <QString>

#include <functional>

namespace veloquill {

enum class Backend
{
    X11,
    KWin,
    Gnome,
    Sway,
    None // the permission view says why
};

struct SessionEnvironment
{
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    QString display;        // DISPLAY
    QString currentDesktop; // XDG_CURRENT_DESKTOP, a colon-separated list
    QString swaySocket{};   // SWAYSOCK
    static SessionEnvironment ofProcess();
};

struct BackendChoice
{
    Backend backend = Backend::None;
    // Why, in a phrase fit for a log line or the permission view.
    QString reason;
    // With no backend: what the permission view explains (NoReason when one was chosen).
    ControlUnavailableReason unavailable = ControlUnavailableReason::NoReason;
};

// `forced` is what --backend names ("x11", "kwin", "gnome", "sway"), empty when not given.
// `kwinAnswers` is asked only in a Wayland session of no GNOME or Sway that nothing forced: whether
// KWin's input device manager answers on the session bus.
BackendChoice chooseBackend(const SessionEnvironment& environment, const QString& forced,
                            const std::function<bool()>& kwinAnswers);

} // namespace veloquill
