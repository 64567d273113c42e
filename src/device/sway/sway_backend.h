// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The backend of a Sway session: Sway's pointers and touchpads, listed over its IPC socket,
// their speed and acceleration translated to and from Sway's libinput settings. Everything
// arrives on the main loop; nothing waits for Sway but the restore, and that for a bounded time.

#include "device/desktop_session.h"

#include <chrono>

namespace veloquill {

struct SwayBackendOptions
{
    // Sway's IPC socket; empty means $SWAYSOCK.
    QString socketPath;
    // Where the originals of changed devices are kept against a crash; empty means
    // $XDG_RUNTIME_DIR.
    QString journalDirectory;
    // How long the restore waits, in all, for Sway's device list and answers.
    std::chrono::milliseconds restoreLimit{5000};
};

// Create it after the QCoreApplication. Never fails: without Sway it lists nothing;
// SwayUnreachable while the socket is not connected.
class SwayBackend : public DesktopBackend
{
public:
    explicit SwayBackend(SwayBackendOptions options = {});
};

} // namespace veloquill
