// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The HID event system of a KDE Plasma Wayland session: KWin's pointer devices on the session
// bus as services, their HID keys translated to and from KWin's libinput settings
// (docs/kwin-backend.md). Everything arrives through Qt D-Bus on the main loop; no call waits
// for KWin but the restore at quit, and that for a bounded time.

#include "device/control_unavailable_reason.h"
#include "device/hid_event_system.h"

#include <QString>

#include <chrono>
#include <memory>

namespace veloquill {

namespace kwin {
class KWinSession;
}

struct KWinHidEventSystemOptions
{
    // The bus KWin is on; empty means the session bus.
    QString busAddress;
    // Where the originals of changed devices are kept against a crash; empty means
    // $XDG_RUNTIME_DIR.
    QString journalDirectory;
    // How long the restore at quit waits, in all, for KWin's device list and answers.
    std::chrono::milliseconds restoreLimit{5000};
};

class KWinHidEventSystem : public HidEventSystem
{
public:
    // Create it after the QCoreApplication. Never fails: without KWin it lists nothing, and
    // lists KWin's devices once KWin appears.
    explicit KWinHidEventSystem(KWinHidEventSystemOptions options = {});
    ~KWinHidEventSystem() override;

    // Whether KWin's input device manager answers on that bus (empty: the session bus): the
    // question that picks this backend at start.
    static bool managerAnswers(const QString& busAddress = {});

    std::unique_ptr<HidEventSystemClient> createClient() override;
    // KWinUnreachable while KWin is not on the bus, with one log line per absence; asks
    // nothing of KWin.
    ControlUnavailableReason controlUnavailableReason();
    bool canControlPointerDevices() override;
    // The journal's devices KWin does not list now keep their entries, named in one line.
    std::size_t restoreUnlisted() override;
    void forgetOriginals() override;
    QStringList notPutBack() const override;
    // Waits (within the restore limit) for the devices KWin is still listing, then sends
    // every changed device's restore writes.
    void prepareRestore() override;
    // KWin has no amount of acceleration apart from the speed.
    bool supportsAccelerationAmount() const override { return false; }

private:
    std::shared_ptr<kwin::KWinSession> m_session;
    bool m_saidCannotControl = false;
};

} // namespace veloquill
