// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The HID event system of a Sway session: Sway's pointers and touchpads, listed over its IPC
// socket, their HID keys translated to and from Sway's libinput settings. Everything arrives on
// the main loop; nothing waits for Sway but the restore, and that for a bounded time.

#include "device/control_unavailable_reason.h"
#include "device/hid_event_system.h"

#include <QString>

#include <chrono>
#include <memory>

namespace veloquill {

namespace sway {
class SwaySession;
}

struct SwayHidEventSystemOptions
{
    // Sway's IPC socket; empty means $SWAYSOCK.
    QString socketPath;
    // Where the originals of changed devices are kept against a crash; empty means
    // $XDG_RUNTIME_DIR.
    QString journalDirectory;
    // How long the restore waits, in all, for Sway's device list and answers.
    std::chrono::milliseconds restoreLimit{5000};
};

class SwayHidEventSystem : public HidEventSystem
{
public:
    // Create it after the QCoreApplication. Never fails: without Sway it lists nothing.
    explicit SwayHidEventSystem(SwayHidEventSystemOptions options = {});
    ~SwayHidEventSystem() override;

    std::unique_ptr<HidEventSystemClient> createClient() override;
    // SwayUnreachable while the socket is not connected, with one log line per absence.
    ControlUnavailableReason controlUnavailableReason();
    bool canControlPointerDevices() override;
    std::size_t restoreUnlisted() override;
    void forgetOriginals() override;
    QStringList notPutBack() const override;
    void prepareRestore() override;
    bool supportsAccelerationAmount() const override { return false; }

private:
    std::shared_ptr<sway::SwaySession> m_session;
    bool m_saidCannotControl = false;
};

} // namespace veloquill
