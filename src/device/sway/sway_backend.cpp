// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_backend.h"

#include "device/sway/sway_session.h"

namespace veloquill {

SwayBackend::SwayBackend(SwayBackendOptions options)
    : DesktopBackend(
          startSession<sway::SwaySession>(
              options.socketPath.isEmpty() ? qEnvironmentVariable("SWAYSOCK") : options.socketPath,
              options.journalDirectory, options.restoreLimit),
          ControlUnavailableReason::SwayUnreachable,
          sway::kLogPrefix +
              QStringLiteral("cannot control pointer devices: Sway's IPC socket does not answer"))
{}

} // namespace veloquill
