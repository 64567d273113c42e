// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_backend.h"

#include "device/gnome/gnome_session.h"

namespace veloquill {

GnomeBackend::GnomeBackend(GnomeBackendOptions options)
    : DesktopBackend(startSession<gnome::GnomeSession>(options.journalDirectory),
                     ControlUnavailableReason::GnomeSettingsMissing,
                     gnome::kLogPrefix +
                         QStringLiteral("cannot control pointer devices: GNOME's pointer "
                                        "settings (org.gnome.desktop.peripherals) are not "
                                        "installed"))
{}

} // namespace veloquill
