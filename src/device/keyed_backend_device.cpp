// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/keyed_backend_device.h"

#include "device/fixed_point_settings.h"
#include "device/hid_service_client_ops.h"
#include "device/neutral_resolution.h"
#include "support/fixed_point.h"

namespace veloquill {

namespace {
constexpr std::int32_t kFixedAccelerationOff = -65536; // -1 in 16.16
} // namespace

DeviceIdentity KeyedBackendDevice::deviceIdentity() const
{
    return {readText(*this, HidKey::Product),        readInteger(*this, HidKey::VendorID),
            readInteger(*this, HidKey::ProductID),   readText(*this, HidKey::SerialNumber),
            readInteger(*this, HidKey::ButtonCount), isVirtual()};
}

QString KeyedBackendDevice::accelerationKey() const
{
    if (const auto type = readText(*this, HidKey::PointerAccelerationType))
        return *type;
    if (readInt32(*this, HidKey::PointerAcceleration))
        return HidKey::PointerAcceleration;
    return HidKey::MouseAcceleration;
}

PointerSettings KeyedBackendDevice::settings() const
{
    const bool off = readInteger(*this, HidKey::UseLinearScalingMouseAcceleration) == 1;
    return settingsFromFixed(readInt32(*this, HidKey::PointerResolution),
                             off ? std::nullopt : readInt32(*this, accelerationKey()), off);
}

PointerSettings KeyedBackendDevice::defaultSettings() const
{
    return settingsFromFixed(readInt32(*this, HidKey::PointerResolutionDefault),
                             readInt32(*this, HidKey::PointerAccelerationDefault), false);
}

PointerLocks KeyedBackendDevice::locks() const
{
    return {!isWritable(HidKey::PointerResolution), !isWritable(accelerationKey())};
}

void KeyedBackendDevice::setGain(double gain)
{
    if (const auto fixed = fixedResolutionForGain(gain))
        setProperty(HidKey::PointerResolution, HidPropertyValue::integer(*fixed));
}

void KeyedBackendDevice::setAcceleration(double amount)
{
    if (const auto fixed = toFixedPoint(amount))
        setProperty(accelerationKey(), HidPropertyValue::integer(*fixed));
}

void KeyedBackendDevice::setAccelerationOff()
{
    setProperty(accelerationKey(), HidPropertyValue::integer(kFixedAccelerationOff));
}

HidRegistration KeyedBackendDevice::onRemoved(BackendDeviceCallback callback)
{
    return registerRemovalCallback([callback = std::move(callback)](
                                       const HidServiceClientRef& service) { callback(service); });
}

HidRegistration HidEventSystemClient::onDeviceAdded(BackendDeviceCallback callback)
{
    return registerDeviceMatchingCallback(
        [callback = std::move(callback)](const HidServiceClientRef& service) {
            callback(service);
        });
}

void HidEventSystemClient::start()
{
    setMatchingMultiple({{{HidKey::DeviceUsagePage, 1}, {HidKey::DeviceUsage, 2}},
                         {{HidKey::DeviceUsagePage, 1}, {HidKey::DeviceUsage, 1}}});
    scheduleWithMainLoop();
}

std::optional<std::vector<BackendDeviceRef>> HidEventSystemClient::devices()
{
    const auto services = copyServices();
    if (!services)
        return std::nullopt;
    return std::vector<BackendDeviceRef>(services->begin(), services->end());
}

} // namespace veloquill
