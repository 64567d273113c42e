// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The HID event system of a GNOME session on Wayland: the pointing devices udev lists, their
// HID keys translated to and from GNOME's per-kind pointer settings in GSettings, which Mutter
// applies to every device of the kind (docs/gnome-backend.md). Nothing waits: udev's monitor
// and GSettings' signals arrive on the main loop, and GSettings takes writes in the background.

#include "device/control_unavailable_reason.h"
#include "device/hid_event_system.h"

#include <QString>

#include <memory>

namespace veloquill {

namespace gnome {
class GnomeSession;
}

struct GnomeHidEventSystemOptions
{
    // Where the originals of changed settings are kept against a crash; empty means
    // $XDG_RUNTIME_DIR.
    QString journalDirectory;
};

class GnomeHidEventSystem : public HidEventSystem
{
public:
    // Create it after the QCoreApplication. Never fails: without GNOME's schemas it lists
    // devices but controls none, and says why.
    explicit GnomeHidEventSystem(GnomeHidEventSystemOptions options = {});
    ~GnomeHidEventSystem() override;

    std::unique_ptr<HidEventSystemClient> createClient() override;
    // GnomeSettingsMissing without GNOME's pointer schemas, with one log line.
    ControlUnavailableReason controlUnavailableReason();
    bool canControlPointerDevices() override;
    std::size_t restoreUnlisted() override;
    void forgetOriginals() override;
    QStringList notPutBack() const override;
    // GNOME has no amount of acceleration apart from the speed.
    bool supportsAccelerationAmount() const override { return false; }
    // One setting serves every device of a kind.
    bool settingsSharedByKind() const override { return true; }

private:
    std::shared_ptr<gnome::GnomeSession> m_session;
    bool m_saidCannotControl = false;
};

} // namespace veloquill
