// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/x11/x11_backend.h"

#include <QString>

#include <optional>

namespace veloquill {

// The program's statuses besides 0 for done.

// The one status of a program whose X display could not be used or went away.
constexpr int kDisplayUnusableStatus = 1;
// The status of a restore, or a quit, that left some device as it was not found.
constexpr int kNotRestoredStatus = 1;
// A command line that cannot be understood, as most command-line programs end.
constexpr int kUsageErrorStatus = 2;

// What the program was asked to do on its command line.
struct CommandLine
{
    X11BackendOptions x11Options;
    bool restore = false;
    QString backend;   // what --backend names, empty when not given
    QString precision; // what --precision asks for: on, off or toggle; empty when not given
    // Set when the command line is answered without running: help, version or a mistake.
    std::optional<int> exitStatus;
};

// Reads the command line before any application object exists, so that help and version
// need no display; answers help, version and mistakes on stdout or stderr itself. The program
// calls itself "veloquill" whatever file or link started it.
CommandLine parseCommandLine(int argc, char** argv);

} // namespace veloquill
