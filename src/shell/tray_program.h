// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/x11/x11_backend.h"
#include "shell/backend_choice.h"
#include "shell/single_instance.h"

#include <optional>

namespace veloquill {

// The program as it runs: the application object, the chosen backend's devices, the tray item
// and the windows, until Quit, a signal, a logout or a lost display. `instance` has claimed the
// single instance; it listens from now on and is let go before the application object. The
// status to end with: 0, or 1 for a lost display or a device left as it was not found.
int runTrayProgram(int argc, char** argv, const BackendChoice& choice,
                   const X11BackendOptions& x11Options, std::optional<SingleInstance>& instance);

} // namespace veloquill
