// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A backend's entry point: the pointing devices of one desktop (X11, KWin, GNOME, Sway).

#include "device/backend_device.h"
#include "device/control_unavailable_reason.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace veloquill {

// The devices a backend lists, as one watcher sees them. Destroying it ends every
// registration made with it.
class DeviceWatch
{
public:
    virtual ~DeviceWatch() = default;

    // Called per arriving pointing device while started; a repeat for a known one may happen.
    [[nodiscard]] virtual HidRegistration onDeviceAdded(BackendDeviceCallback callback) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    // The pointing devices now present; nothing when the backend cannot say.
    virtual std::optional<std::vector<BackendDeviceRef>> devices() = 0;
};

class PointerBackend
{
public:
    virtual ~PointerBackend() = default;

    // A new watch, or null when the desktop cannot be reached.
    virtual std::unique_ptr<DeviceWatch> watchDevices() = 0;
    // Why this process cannot control the session's pointer devices (NoReason when it can), as
    // the settings window explains it; the backend logs one line per reason it finds.
    virtual ControlUnavailableReason controlUnavailableReason() = 0;
    virtual bool canControlPointerDevices()
    {
        return controlUnavailableReason() == ControlUnavailableReason::NoReason;
    }
    // Puts back the devices this program changed that the desktop still has but lists no
    // device for (an X device disabled or floating); how many could not be put back.
    virtual std::size_t restoreUnlisted() { return 0; }
    // Every changed device is back as found: the originals kept against a crash can go.
    virtual void forgetOriginals() = 0;
    // What this program or a run before it changed that is not back as found, each named with
    // where its originals are kept; empty when everything is back.
    virtual QStringList notPutBack() const { return {}; }
    // Before a restore: a backend that learns of its devices in the background lets those it
    // is still listing arrive (for a bounded time), and may send every restore write at once.
    virtual void prepareRestore() {}
    // Whether the amount of acceleration can be set apart from the speed. When not, writing an
    // acceleration only switches it on or off, and the window says so.
    virtual bool supportsAccelerationAmount() const { return true; }
    // Whether the desktop keeps one setting for every device of a kind rather than one per
    // device: then a write to one device is a write to all of its kind.
    virtual bool settingsSharedByKind() const { return false; }
};

} // namespace veloquill
