// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/hid_event_system.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace veloquill {

// One pointer service of the HID event system: its identity and the pointer properties that
// decide speed and acceleration. Every read goes to the service anew.
class PointerDevice
{
public:
    static std::shared_ptr<PointerDevice> create(HidServiceClientRef client);
    ~PointerDevice();
    PointerDevice(const PointerDevice&) = delete;
    PointerDevice& operator=(const PointerDevice&) = delete;

    const HidServiceClientRef& client() const { return m_client; }

    QString name() const;
    std::optional<QString> product() const;
    std::optional<QString> serialNumber() const;
    std::optional<std::int64_t> vendorID() const;
    std::optional<std::int64_t> productID() const;
    QString vendorIDString() const;
    QString productIDString() const;
    std::optional<std::int64_t> buttonCount() const;
    // vendor-product-name-serial, the key under which per-device settings are stored.
    QString stableID() const;
    // The name inside a stableID ("-" in it written as "_"), for a device that is not here to
    // be asked; the whole ID when it holds none.
    static QString nameInStableID(const QString& stableID);
    // Software moves the pointer through it (an XTEST device): never selected by default.
    bool isVirtual() const { return m_client->isVirtual(); }
    // "Travel Mouse (VID=0x1234, PID=0x00AB)"
    QString description() const;

    std::optional<double> pointerResolution() const;
    void setPointerResolution(std::optional<double> resolution);
    std::optional<QString> pointerAccelerationType() const;
    void setPointerAccelerationType(const std::optional<QString>& type);
    std::optional<std::int64_t> useLinearScalingMouseAcceleration() const;
    void setUseLinearScalingMouseAcceleration(std::optional<std::int64_t> value);
    // PointerRange::AccelerationOff means acceleration switched off.
    std::optional<double> pointerAcceleration() const;
    void setPointerAcceleration(std::optional<double> acceleration);
    // Locked by the desktop's administrator: every write is refused.
    bool pointerResolutionLocked() const;
    bool pointerAccelerationLocked() const;
    // The desktop's own defaults for this device; absent when it reports none.
    std::optional<double> defaultPointerResolution() const;
    // PointerRange::AccelerationOff when the default is acceleration off.
    std::optional<double> defaultPointerAcceleration() const;

    // How the desktop turns hand motion into pointer motion; nothing when it cannot say.
    std::optional<PointerCurveModel> curveModel() const { return m_client->curveModel(); }

    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const;

    // Equal exactly when both stand for the same service client.
    friend bool operator==(const PointerDevice& a, const PointerDevice& b)
    {
        return a.m_client == b.m_client;
    }
    std::size_t hash() const { return std::hash<HidServiceClientRef>()(m_client); }

private:
    struct Passkey
    {};

public:
    PointerDevice(Passkey, HidServiceClientRef client);

private:
    QString accelerationKey() const;

    HidServiceClientRef m_client;
};

using PointerDeviceRef = std::shared_ptr<PointerDevice>;

} // namespace veloquill
