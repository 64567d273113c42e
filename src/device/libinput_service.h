// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A device of a libinput desktop (KWin, GNOME, Sway): the one place where the layer's speed
// gain and acceleration become libinput's speed and profile and back, with the same refusals for
// every such desktop. A backend's device says what the desktop holds and carries the writes over
// its own transport.

#include "device/backend_device.h"
#include "device/libinput_device_model.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace veloquill {

// What a device is, as the desktop names it.
struct LibinputIdentity
{
    QString name;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::optional<QString> serialNumber;
};

class LibinputService : public BackendDevice, public std::enable_shared_from_this<LibinputService>
{
public:
    // The identity answers even once the device has left; settings only while the desktop can
    // be asked. libinput has no amount of acceleration apart from the speed: an adaptive
    // profile reads as the amount 1, and any amount written switches it on.
    DeviceIdentity deviceIdentity() const final;
    PointerSettings settings() const final;
    PointerSettings defaultSettings() const final;
    PointerLocks locks() const final;
    // A write the desktop cannot take is refused with one line saying why.
    void setGain(double gain) final;
    void setAcceleration(double amount) final;
    void setAccelerationOff() final;
    HidRegistration onRemoved(BackendDeviceCallback callback) final;
    // libinput's profiles at the speed written.
    std::optional<PointerCurveModel> curveModel() const final
    {
        return PointerCurveModel{PointerCurveModel::Kind::Libinput};
    }
    // The sender id its events would carry.
    std::uint64_t registryID() const { return m_registryID; }
    // The name the desktop lists it under (an event node, Sway's identifier).
    virtual QString listedName() const = 0;
    // The desktop no longer lists it: each removal callback runs.
    void leave();

protected:
    // `logPrefix` begins its log lines.
    LibinputService(std::uint64_t registryID, QString logPrefix);
    bool hasLeft() const { return m_removal.left(); }
    // "KWin device event5 \"name\" (service 3)", for a device listed under its event node.
    QString describeAs(const QString& desktop) const;

    virtual LibinputIdentity identity() const = 0;
    // Whether the desktop can be asked now (and the device is still listed).
    virtual bool reachable() const = 0;
    // Whether a write can be sent now; one line said so already when it cannot.
    virtual bool acceptsWrites() const { return reachable(); }
    // What the device holds, as far as the desktop says; asked only while reachable.
    virtual libinput::Values current() const = 0;
    virtual libinput::Values defaults() const { return {}; }
    // Writes; nothing puts the setting back as it was before this program wrote it. Why the
    // desktop cannot take it, or empty when it was sent.
    virtual QString writeSpeed(std::optional<double> speed) = 0;
    virtual QString writeProfile(std::optional<bool> flat) = 0;
    // False while an administrator's lock keeps the setting as it is.
    virtual bool speedWritable() const { return true; }
    virtual bool profileWritable() const { return true; }

private:
    std::uint64_t m_registryID;
    void logRefused(const QString& what, const QString& why) const;

    QString m_logPrefix;
    DeviceRemoval m_removal;
};

} // namespace veloquill
