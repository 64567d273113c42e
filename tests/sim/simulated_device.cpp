// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/simulated_device.h"

#include "device/pointer_device.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace veloquill::sim {

void postToMainLoop(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

DeviceSpec DeviceSpec::mouse(const QString& name, std::int64_t vendorID, std::int64_t productID,
                             std::optional<QString> serialNumber, double resolution)
{
    DeviceSpec spec;
    spec.identity = {name, vendorID, productID, std::move(serialNumber), 3, false};
    spec.settings = {PointerDevice::gainForResolution(resolution), 0.6875, false};
    return spec;
}

SimulatedDevice::SimulatedDevice(DeviceSpec spec, std::uint64_t registryID)
    : m_spec(std::move(spec)), m_firstSeen(m_spec.settings)
{
    // Named once, at arrival, so that log lines about one device always read the same.
    const auto& name = m_spec.identity.name;
    m_description = name ? QStringLiteral("SimulatedService(id=%1, \"%2\")")
                               .arg(QString::number(registryID), *name)
                         : QStringLiteral("SimulatedService(id=%1)").arg(registryID);
}

PointerLocks SimulatedDevice::locks() const
{
    return {m_refused.value(Setting::Speed), m_refused.value(Setting::Acceleration)};
}

bool SimulatedDevice::write(SettingWrite write, Setting setting)
{
    m_writes.push_back(write);
    if (m_refused.contains(setting))
        return false;
    m_changedByProgram = true;
    return true;
}

void SimulatedDevice::setGain(double gain)
{
    if (write({SettingWrite::Kind::Gain, gain}, Setting::Speed))
        m_spec.settings.gain = gain;
}

void SimulatedDevice::setAcceleration(double amount)
{
    if (write({SettingWrite::Kind::Acceleration, amount}, Setting::Acceleration))
        m_spec.settings = {m_spec.settings.gain, amount, false};
}

void SimulatedDevice::setAccelerationOff()
{
    if (write({SettingWrite::Kind::AccelerationOff}, Setting::Acceleration))
        m_spec.settings.accelerationOff = true;
}

std::optional<double> SimulatedDevice::resolution() const
{
    const auto gain = m_spec.settings.gain;
    return gain ? PointerDevice::resolutionForGain(*gain) : std::nullopt;
}

HidRegistration SimulatedDevice::onRemoved(BackendDeviceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

void SimulatedDevice::leave()
{
    if (m_left)
        return;
    m_left = true;
    postToMainLoop([self = shared_from_this()] { self->m_removal.leave(self); });
}

RestoreOutcome SimulatedDevice::restoreFirstSeen()
{
    if (m_unreachable)
        return RestoreOutcome::Unreachable;
    if (!m_changedByProgram || m_left)
        return RestoreOutcome::Untouched;
    m_writes.push_back({SettingWrite::Kind::Restore});
    m_changedByProgram = false;
    m_spec.settings = m_firstSeen;
    return RestoreOutcome::Restored;
}

} // namespace veloquill::sim
