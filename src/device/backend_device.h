// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One pointing device as a backend serves it, in the desktop's own terms: a speed gain, an
// amount of acceleration, acceleration off. Each backend maps these onto its own settings once.
//
// Rules every backend keeps:
// - All callbacks are delivered on the Qt main loop, never inside the call that caused them
//   and never on another thread.
// - A callback is never called once its HidRegistration is destroyed or reset, nor once the
//   object it was registered with is gone.
// - Devices compare by identity: one object per device for as long as it is present; a device
//   that leaves and comes back is a new object.

#include "device/hid_callback_list.h"
#include "device/pointer_curve.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace veloquill {

// Who the device is, read in one go.
struct DeviceIdentity
{
    std::optional<QString> name;
    std::optional<std::int64_t> vendorID;
    std::optional<std::int64_t> productID;
    std::optional<QString> serialNumber;
    std::optional<std::int64_t> buttonCount;
    // Software, not a hand, moves the pointer through it (X11's XTEST devices): never chosen
    // for the user, only by them.
    bool isVirtual = false;
};

// Speed and acceleration as the desktop applies them to one device.
struct PointerSettings
{
    // Pointer travel relative to the desktop's own speed: 1 moves as the desktop would on its
    // own, 2 twice as far. Nothing when the device has no speed setting.
    std::optional<double> gain;
    // How strongly faster hand motion is carried farther, 0–20, while acceleration is on.
    // Nothing when the device has no acceleration setting (or it is off).
    std::optional<double> acceleration;
    // Acceleration is off: the pointer travels in proportion to the hand at any pace.
    bool accelerationOff = false;
};

// What the desktop's administrator has locked: every write of it is refused.
struct PointerLocks
{
    bool speed = false;
    bool acceleration = false;
};

// What putting a device back as it was found came to.
enum class RestoreOutcome
{
    Untouched,   // this program never changed it: left alone
    Restored,    // every value it changed is back, the writes made
    Unreachable, // the backend is gone: nothing could be written
    Refused,     // the desktop refused a write: what it was to put back stays on record
    Unconfirmed  // the desktop did not answer the writes in time
};

class BackendDevice;
using BackendDeviceRef = std::shared_ptr<BackendDevice>;
using BackendDeviceCallback = std::function<void(const BackendDeviceRef& device)>;

class BackendDevice
{
public:
    virtual ~BackendDevice() = default;

    // Every read goes to the desktop anew; once the device is gone only its identity answers,
    // as last read.
    virtual DeviceIdentity deviceIdentity() const = 0;
    virtual PointerSettings settings() const = 0;
    // What the desktop would give the device on its own; each part absent when it says nothing.
    virtual PointerSettings defaultSettings() const = 0;
    virtual PointerLocks locks() const { return {}; }

    // Fire and forget: nothing is reported back. Writing an amount switches acceleration on.
    virtual void setGain(double gain) = 0;
    virtual void setAcceleration(double amount) = 0;
    virtual void setAccelerationOff() = 0;

    // Puts back, exactly and unbounded, every value the device had when it was first seen, if
    // this program (or an earlier run that did not quit) changed any of them.
    virtual RestoreOutcome restoreFirstSeen() = 0;

    // The callback runs once, on the main loop, when the device goes away (at once if it
    // already has).
    [[nodiscard]] virtual HidRegistration onRemoved(BackendDeviceCallback callback) = 0;

    // A stable, readable rendering for log lines.
    virtual QString describe() const = 0;

    // How the desktop turns hand motion into pointer motion, read afresh; nothing when the
    // backend cannot say.
    virtual std::optional<PointerCurveModel> curveModel() const { return std::nullopt; }
};

// The removal callbacks of a backend's device: each runs once when the device leaves, and
// one registered after it left still runs once, on the main loop.
class DeviceRemoval
{
public:
    HidRegistration add(BackendDeviceCallback callback, std::weak_ptr<BackendDevice> device)
    {
        auto registration = m_callbacks->add(std::move(callback));
        if (m_left) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [callbacks = m_callbacks, device = std::move(device)] {
                    if (const auto self = device.lock())
                        callbacks->callOnce(self);
                },
                Qt::QueuedConnection);
        }
        return registration;
    }
    // The device left: every callback runs now, the device kept alive meanwhile.
    void leave(const BackendDeviceRef& device)
    {
        m_left = true;
        m_callbacks->callOnce(device);
    }
    bool left() const { return m_left; }

private:
    bool m_left = false;
    std::shared_ptr<HidCallbackList<void(const BackendDeviceRef&)>> m_callbacks =
        std::make_shared<HidCallbackList<void(const BackendDeviceRef&)>>();
};

} // namespace veloquill
