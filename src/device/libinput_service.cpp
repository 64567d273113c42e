// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/libinput_service.h"

#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
PointerSettings settingsOf(const libinput::Values& values)
{
    PointerSettings settings;
    if (values.speed)
        settings.gain = 1.0 + *values.speed;
    if (values.flat) {
        settings.accelerationOff = *values.flat;
        if (!*values.flat)
            settings.acceleration = 1.0;
    }
    return settings;
}
} // namespace

LibinputService::LibinputService(std::uint64_t registryID, QString logPrefix)
    : m_registryID(registryID), m_logPrefix(std::move(logPrefix))
{}

DeviceIdentity LibinputService::deviceIdentity() const
{
    const LibinputIdentity listed = identity();
    return {listed.name, listed.vendor, listed.product, listed.serialNumber, std::nullopt, false};
}

PointerSettings LibinputService::settings() const
{
    return reachable() ? settingsOf(current()) : PointerSettings{};
}

PointerSettings LibinputService::defaultSettings() const
{
    return reachable() ? settingsOf(defaults()) : PointerSettings{};
}

PointerLocks LibinputService::locks() const
{
    // Unreachable: nothing to tell; the write itself says it went nowhere.
    return reachable() ? PointerLocks{!speedWritable(), !profileWritable()} : PointerLocks{};
}

void LibinputService::setGain(double gain)
{
    if (!acceptsWrites())
        return;
    const QString why =
        std::isfinite(gain) && gain > 0
            ? writeSpeed(std::clamp(gain - 1.0, libinput::kMinSpeed, libinput::kMaxSpeed))
            : QStringLiteral("not a positive gain");
    if (!why.isEmpty())
        logRefused(QStringLiteral("speed gain ") + formatReal(gain), why);
}

void LibinputService::setAcceleration(double amount)
{
    if (!acceptsWrites())
        return;
    if (const QString why = writeProfile(false); !why.isEmpty())
        logRefused(QStringLiteral("acceleration ") + formatReal(amount), why);
}

void LibinputService::setAccelerationOff()
{
    if (!acceptsWrites())
        return;
    if (const QString why = writeProfile(true); !why.isEmpty())
        logRefused(QStringLiteral("acceleration off"), why);
}

QString LibinputService::describeAs(const QString& desktop) const
{
    return desktop + QStringLiteral(" device ") + listedName() + QStringLiteral(" \"") +
           identity().name + QStringLiteral("\" (service ") + QString::number(m_registryID) +
           QLatin1Char(')');
}

void LibinputService::logRefused(const QString& what, const QString& why) const
{
    logLine(m_logPrefix + QStringLiteral("ignoring ") + what + QStringLiteral(" for ") +
            describe() + QStringLiteral(": ") + why);
}

HidRegistration LibinputService::onRemoved(BackendDeviceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

void LibinputService::leave()
{
    // Keeps this object alive should a callback drop the last reference to it.
    m_removal.leave(shared_from_this());
}

} // namespace veloquill
