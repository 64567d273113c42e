// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/x11/x11_backend.h"
#include "shell/backend_choice.h"

namespace veloquill {

// `veloquill --restore`, without tray or window: a running Veloquill keeps the journal and goes
// on writing, so it is asked to put the devices back and quit; only when none runs, or it does
// not answer, are the journal's devices put back here. The status to end with: 0 when done or
// nothing was left changed, else 1 after one line on stderr.
int restorePointerDevices(int argc, char** argv, const BackendChoice& choice,
                          const X11BackendOptions& x11Options);

} // namespace veloquill
