// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/x11/x11_backend.h"
#include "shell/backend_choice.h"

#include <QString>

namespace veloquill {

// The commands that do one thing and exit, without tray or window.

// `veloquill --restore`, without tray or window: a running Veloquill keeps the journal and goes
// on writing, so it is asked to put the devices back and quit; only when none runs, or it does
// not answer, are the journal's devices put back here. The status to end with: 0 when done or
// nothing was left changed, else 1 after one line on stderr.
int restorePointerDevices(int argc, char** argv, const BackendChoice& choice,
                          const X11BackendOptions& x11Options);

// `veloquill --precision on|off|toggle`: precision mode lives in the running Veloquill, which is
// asked to switch it; with none running there is nothing to slow. The status to end with: 0
// when switched, else 1 after one line on stderr.
int switchPrecision(int argc, char** argv, const QString& mode);

} // namespace veloquill
