// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/control_unavailable_reason.h"
#include "device/hid_event_system.h"
#include "device/x11/x11_hid_event_system.h"
#include "shell/backend_choice.h"

#include <functional>
#include <memory>

namespace veloquill {

// The event system that serves the chosen backend, with what the program asks of it beside
// the device layer's boundary.
struct BackendSystem
{
    std::shared_ptr<HidEventSystem> eventSystem;
    // Why devices cannot be controlled now (NoReason when they can), as the settings window
    // explains it; the backend logs one line per reason it finds.
    std::function<ControlUnavailableReason()> unavailableReason;
    // The same system when it is X11's, whose connection can be lost; null for the others.
    std::shared_ptr<X11HidEventSystem> x11;
};

// Made after the application object (X11's error handlers go after Qt's). With no backend
// chosen, KWin's system stands in, listing nothing while KWin is away, and the reason is the
// choice's. X11's may come unconnected: its failureReason() says why.
BackendSystem makeBackendSystem(const BackendChoice& choice,
                                const X11HidEventSystemOptions& x11Options);

} // namespace veloquill
