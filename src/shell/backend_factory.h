// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/pointer_backend.h"
#include "device/x11/x11_backend.h"
#include "shell/backend_choice.h"

#include <memory>

namespace veloquill {

// The chosen backend, and the same object as X11's when it is, whose connection can be lost.
struct BackendSystem
{
    std::shared_ptr<PointerBackend> backend;
    // Null for the others.
    std::shared_ptr<X11Backend> x11;
};

// Made after the application object (X11's error handlers go after Qt's). With no backend
// chosen, KWin's stands in, listing nothing while KWin is away, and its unavailable reason is
// the choice's. X11's may come unconnected: its failureReason() says why.
BackendSystem makeBackendSystem(const BackendChoice& choice, const X11BackendOptions& x11Options);

} // namespace veloquill
