// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device.h"

#include "device/pointer_ranges.h"
#include "support/fixed_point.h"
#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
// In the words the layer has always logged it with.
void logRefusal(double value, const QString& key)
{
    logLine(QStringLiteral("PointerDevice: Refusing to write ") + formatReal(value) +
            QStringLiteral(" under key '") + key +
            QStringLiteral("': not representable as 16.16 fixed point"));
}
} // namespace

std::shared_ptr<PointerDevice> PointerDevice::create(BackendDeviceRef client)
{
    return std::make_shared<PointerDevice>(std::move(client));
}

QString PointerDevice::name() const
{
    return m_client->deviceIdentity().name.value_or(QStringLiteral("(unknown)"));
}

QString PointerDevice::nameInStableID(const QString& stableID)
{
    const QString name = stableID.section(QLatin1Char('-'), 2, 2);
    return name.isEmpty() ? stableID : name;
}

QString PointerDevice::stableID() const
{
    const DeviceIdentity identity = m_client->deviceIdentity();
    QString productName = identity.name.value_or(QStringLiteral("(unknown)"));
    productName.replace(QLatin1Char('-'), QLatin1Char('_'));
    return QString::number(identity.vendorID.value_or(0)) + QLatin1Char('-') +
           QString::number(identity.productID.value_or(0)) + QLatin1Char('-') + productName +
           QLatin1Char('-') + identity.serialNumber.value_or(QStringLiteral("N/A"));
}

std::optional<double> PointerDevice::gainForResolution(double resolution)
{
    const auto fixed = toFixedPoint(resolution);
    if (!fixed || *fixed <= 0)
        return std::nullopt;
    return gainForFixedResolution(*fixed);
}

std::optional<double> PointerDevice::resolutionForGain(double gain)
{
    const auto fixed = fixedResolutionForGain(gain);
    return fixed ? std::optional(fromFixedPoint(*fixed)) : std::nullopt;
}

std::optional<double> PointerDevice::pointerResolution() const
{
    const auto gain = m_client->settings().gain;
    return gain ? resolutionForGain(*gain) : std::nullopt;
}

void PointerDevice::setPointerResolution(double resolution)
{
    // Refused rather than clamped: clamping NaN would silently become the fastest speed.
    if (!std::isfinite(resolution)) {
        logRefusal(resolution, QStringLiteral("HIDPointerResolution"));
        return;
    }
    resolution = std::clamp(resolution, PointerRange::MinResolution, PointerRange::MaxResolution);
    if (const auto gain = gainForResolution(resolution))
        m_client->setGain(*gain);
}

std::optional<double> PointerDevice::pointerAcceleration() const
{
    const PointerSettings settings = m_client->settings();
    return settings.accelerationOff ? std::optional(PointerRange::AccelerationOff)
                                    : settings.acceleration;
}

void PointerDevice::setPointerAcceleration(double acceleration)
{
    if (acceleration == PointerRange::AccelerationOff) {
        m_client->setAccelerationOff();
        return;
    }
    if (!std::isfinite(acceleration)) {
        logRefusal(acceleration, QStringLiteral("HIDPointerAcceleration"));
        return;
    }
    // As 16.16 holds it, so that it reads back as written.
    const auto fixed = toFixedPoint(
        std::clamp(acceleration, PointerRange::MinAcceleration, PointerRange::MaxAcceleration));
    m_client->setAcceleration(fromFixedPoint(*fixed));
}

std::optional<double> PointerDevice::defaultPointerResolution() const
{
    const auto gain = m_client->defaultSettings().gain;
    return gain ? resolutionForGain(*gain) : std::nullopt;
}

std::optional<double> PointerDevice::defaultPointerAcceleration() const
{
    const PointerSettings defaults = m_client->defaultSettings();
    return defaults.accelerationOff ? std::optional(PointerRange::AccelerationOff)
                                    : defaults.acceleration;
}

} // namespace veloquill
