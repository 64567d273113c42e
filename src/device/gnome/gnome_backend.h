// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The backend of a GNOME session on Wayland: the pointing devices udev lists, their speed and
// acceleration translated to and from GNOME's per-kind pointer settings in GSettings, which Mutter
// applies to every device of the kind (docs/gnome-backend.md). Nothing waits: udev's monitor
// and GSettings' signals arrive on the main loop, and GSettings takes writes in the background.

#include "device/desktop_session.h"

namespace veloquill {

// Create it after the QCoreApplication. Never fails: without GNOME's schemas it lists devices
// but controls none (GnomeSettingsMissing), and says why.
class GnomeBackend : public DesktopBackend
{
public:
    // The originals of changed settings are kept against a crash in `journalDirectory` (empty:
    // $XDG_RUNTIME_DIR).
    explicit GnomeBackend(const QString& journalDirectory = {});
    // One setting serves every device of a kind.
    bool settingsSharedByKind() const override { return true; }
};

} // namespace veloquill
