// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/backend_device.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace veloquill {

// One pointing device as the settings layer sees it: its identity, and its speed as a
// resolution (counts per inch: lower is faster) and acceleration as the layer has always kept
// them. The backend is told a gain; the conversion is here. Every read goes to the backend anew.
class PointerDevice
{
public:
    static std::shared_ptr<PointerDevice> create(BackendDeviceRef client);
    explicit PointerDevice(BackendDeviceRef client) : m_client(std::move(client)) {}
    PointerDevice(const PointerDevice&) = delete;
    PointerDevice& operator=(const PointerDevice&) = delete;

    const BackendDeviceRef& client() const { return m_client; }

    QString name() const;
    DeviceIdentity identity() const { return m_client->deviceIdentity(); }
    // vendor-product-name-serial, the key under which per-device settings are stored.
    QString stableID() const;
    // The name inside a stableID ("-" in it written as "_"), for a device that is not here to
    // be asked; the whole ID when it holds none.
    static QString nameInStableID(const QString& stableID);
    // Software moves the pointer through it (an XTEST device): never selected by default.
    bool isVirtual() const { return m_client->deviceIdentity().isVirtual; }

    std::optional<double> pointerResolution() const;
    // Clamped to what a device takes; a value not finite is refused with one log line.
    void setPointerResolution(double resolution);
    // PointerRange::AccelerationOff means acceleration switched off.
    std::optional<double> pointerAcceleration() const;
    void setPointerAcceleration(double acceleration);
    // Locked by the desktop's administrator: every write is refused.
    bool pointerResolutionLocked() const { return m_client->locks().speed; }
    bool pointerAccelerationLocked() const { return m_client->locks().acceleration; }
    // The desktop's own defaults for this device; absent when it reports none.
    std::optional<double> defaultPointerResolution() const;
    // PointerRange::AccelerationOff when the default is acceleration off.
    std::optional<double> defaultPointerAcceleration() const;

    // The resolution the layer keeps (16.16, as it has always been stored and logged) and the
    // gain a backend is told: the neutral resolution moves at gain 1.
    static std::optional<double> gainForResolution(double resolution);
    static std::optional<double> resolutionForGain(double gain);

    // How the desktop turns hand motion into pointer motion; nothing when it cannot say.
    std::optional<PointerCurveModel> curveModel() const { return m_client->curveModel(); }

private:
    BackendDeviceRef m_client;
};

using PointerDeviceRef = std::shared_ptr<PointerDevice>;

} // namespace veloquill
