// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Transitional: the KWin, GNOME and Sway backends still speak string keys and 16.16 values
// (HidKey::PointerResolution and friends). These classes serve the typed device interface over
// those keys until the three backends serve it directly; then this file goes.

#include "device/hid_keys.h"
#include "device/hid_property_value.h"
#include "device/pointer_backend.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill {

class KeyedBackendDevice;
using HidServiceClient = KeyedBackendDevice;
using HidServiceClientRef = std::shared_ptr<KeyedBackendDevice>;
using HidServiceCallback = std::function<void(const HidServiceClientRef& service)>;
using HidRestoreOutcome = RestoreOutcome;
// Keys and integers a service must match, for instance "DeviceUsagePage" = 1.
using HidMatchingDictionary = std::map<QString, std::int64_t>;

class KeyedBackendDevice : public BackendDevice
{
public:
    // The property's current value; a null value when the service has none.
    virtual HidPropertyValue copyProperty(const QString& key) const = 0;
    virtual void setProperty(const QString& key, const HidPropertyValue& value) = 0;
    virtual bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const = 0;
    [[nodiscard]] virtual HidRegistration registerRemovalCallback(HidServiceCallback callback) = 0;
    virtual bool isVirtual() const { return false; }
    virtual bool isWritable(const QString& key) const
    {
        (void)key;
        return true;
    }

    DeviceIdentity deviceIdentity() const final;
    PointerSettings settings() const final;
    PointerSettings defaultSettings() const final;
    PointerLocks locks() const final;
    void setGain(double gain) final;
    void setAcceleration(double amount) final;
    void setAccelerationOff() final;
    HidRegistration onRemoved(BackendDeviceCallback callback) final;

private:
    // The key that carries the acceleration on this service.
    QString accelerationKey() const;
};

class HidEventSystemClient : public DeviceWatch
{
public:
    virtual void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) = 0;
    [[nodiscard]] virtual HidRegistration
    registerDeviceMatchingCallback(HidServiceCallback callback) = 0;
    virtual void scheduleWithMainLoop() = 0;
    virtual void unscheduleFromMainLoop() = 0;
    virtual std::optional<std::vector<HidServiceClientRef>> copyServices() = 0;

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) final;
    // Generic desktop mice and pointers.
    void start() final;
    void stop() final { unscheduleFromMainLoop(); }
    std::optional<std::vector<BackendDeviceRef>> devices() final;
};

class HidEventSystem : public PointerBackend
{
public:
    virtual std::unique_ptr<HidEventSystemClient> createClient() = 0;
    std::unique_ptr<DeviceWatch> watchDevices() final { return createClient(); }
};

} // namespace veloquill
