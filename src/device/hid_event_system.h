// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The boundary between the pointer device layer and the HID event system that provides
// the devices. Everything the layer needs from the platform is here; a backend (the
// XInput2 one, the simulated one the tests use, later others) implements these classes.
//
// Rules every backend keeps:
// - All callbacks are delivered on the Qt main loop, never inside the call that caused them
//   (a property write, a service appearing) and never on another thread.
// - A callback is never called once its HidRegistration is destroyed or reset, nor once the
//   object it was registered with is gone. HidCallbackList below keeps this for a backend.
// - Callbacks always receive a service, never null.
// - Service clients compare by identity: one object per service for as long as the
//   service exists; a service that leaves and comes back is a new object.

#include "device/hid_callback_list.h"
#include "device/hid_property_value.h"
#include "device/pointer_curve.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill {

class HidServiceClient;
using HidServiceClientRef = std::shared_ptr<HidServiceClient>;

// Keys and integers a service must match, for instance "DeviceUsagePage" = 1.
using HidMatchingDictionary = std::map<QString, std::int64_t>;

using HidServiceCallback = std::function<void(const HidServiceClientRef& service)>;

// What putting a service back as it was found came to.
enum class HidRestoreOutcome
{
    Untouched,   // this program never changed it: left alone
    Restored,    // every value it changed is back, the writes made
    Unreachable, // the event system is gone: nothing could be written
    Refused,     // the event system refused a write: what it was to put back stays on record
    Unconfirmed  // the event system did not answer the writes in time
};

// One service of the event system: a pointing device as the system knows it.
class HidServiceClient
{
public:
    virtual ~HidServiceClient() = default;

    // The property's current value; a null value when the service has none.
    virtual HidPropertyValue copyProperty(const QString& key) const = 0;
    // Asks the service to set the property. Fire and forget: nothing is reported back.
    virtual void setProperty(const QString& key, const HidPropertyValue& value) = 0;
    // Puts back, exactly and unbounded, every value the service had when it was first seen,
    // if this program (or an earlier run that did not quit) changed any of them.
    virtual HidRestoreOutcome restoreFirstSeen() = 0;
    virtual bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const = 0;

    // The callback runs once, on the main loop, when the service goes away (at once if it
    // already has), whether or not any client is connected.
    [[nodiscard]] virtual HidRegistration registerRemovalCallback(HidServiceCallback callback) = 0;

    // A stable, readable rendering for log lines.
    virtual QString describe() const = 0;

    // Whether software, not a hand, moves the pointer through it (X11's XTEST devices): it is
    // never chosen for the user, only by them.
    virtual bool isVirtual() const { return false; }

    // How the desktop turns hand motion into pointer motion for this service, read afresh
    // (on X11 one round trip); nothing when the backend cannot say.
    virtual std::optional<PointerCurveModel> curveModel() const { return std::nullopt; }

    // False when the desktop refuses every write of the property (an administrator's lock).
    virtual bool isWritable(const QString& key) const
    {
        (void)key;
        return true;
    }
};

// A connection to the event system. Destroying it ends every registration made with it.
class HidEventSystemClient
{
public:
    virtual ~HidEventSystemClient() = default;

    // Only services matching one of the dictionaries are reported.
    virtual void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) = 0;
    // Called per arriving matching service; a repeat for a known service may happen.
    [[nodiscard]] virtual HidRegistration
    registerDeviceMatchingCallback(HidServiceCallback callback) = 0;
    // Callbacks are delivered only while scheduled.
    virtual void scheduleWithMainLoop() = 0;
    virtual void unscheduleFromMainLoop() = 0;

    // The matching services now present; nothing when the system cannot say.
    virtual std::optional<std::vector<HidServiceClientRef>> copyServices() = 0;
};

// The HID event system itself: a backend's entry point.
class HidEventSystem
{
public:
    virtual ~HidEventSystem() = default;

    // A new client, or null when the system cannot be reached.
    virtual std::unique_ptr<HidEventSystemClient> createClient() = 0;
    // Whether this process may control real pointer devices; when not, the backend logs
    // one line saying why.
    virtual bool canControlPointerDevices() = 0;
    // Puts back the devices this program changed that the system still has but lists no
    // service for (an X device disabled or floating); how many could not be put back.
    virtual std::size_t restoreUnlisted() { return 0; }
    // Every changed service is back as found: the originals kept against a crash can go.
    virtual void forgetOriginals() = 0;
    // What this program or a run before it changed that is not back as found, each named with
    // where its originals are kept; empty when everything is back.
    virtual QStringList notPutBack() const { return {}; }
    // Before a restore: a backend that learns of its services in the background lets those it
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
