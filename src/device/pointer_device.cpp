// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/pointer_ranges.h"
#include "support/clamp.h"
#include "support/fixed_point.h"

#include <cmath>

namespace veloquill {

namespace {
QString hexIdentifier(std::optional<std::int64_t> number)
{
    if (!number)
        return QStringLiteral("(nil)");
    // Printed as the unsigned 32-bit quantity the platform formats with %04X.
    const auto low = static_cast<std::uint32_t>(*number);
    return QStringLiteral("0x") +
           QString::number(low, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}
} // namespace

std::shared_ptr<PointerDevice> PointerDevice::create(HidServiceClientRef client)
{
    return std::make_shared<PointerDevice>(Passkey{}, std::move(client));
}

PointerDevice::PointerDevice(Passkey, HidServiceClientRef client) : m_client(std::move(client)) {}

PointerDevice::~PointerDevice() = default;

QString PointerDevice::name() const
{
    return product().value_or(QStringLiteral("(unknown)"));
}

std::optional<QString> PointerDevice::product() const
{
    return readText(*m_client, HidKey::Product);
}

std::optional<QString> PointerDevice::serialNumber() const
{
    return readText(*m_client, HidKey::SerialNumber);
}

std::optional<std::int64_t> PointerDevice::vendorID() const
{
    return readInteger(*m_client, HidKey::VendorID);
}

std::optional<std::int64_t> PointerDevice::productID() const
{
    return readInteger(*m_client, HidKey::ProductID);
}

QString PointerDevice::vendorIDString() const
{
    return hexIdentifier(vendorID());
}

QString PointerDevice::productIDString() const
{
    return hexIdentifier(productID());
}

std::optional<std::int64_t> PointerDevice::buttonCount() const
{
    return readInteger(*m_client, HidKey::ButtonCount);
}

QString PointerDevice::nameInStableID(const QString& stableID)
{
    const QString name = stableID.section(QLatin1Char('-'), 2, 2);
    return name.isEmpty() ? stableID : name;
}

QString PointerDevice::stableID() const
{
    const QString vendor = QString::number(vendorID().value_or(0));
    const QString productNumber = QString::number(productID().value_or(0));
    QString productName = name();
    productName.replace(QLatin1Char('-'), QLatin1Char('_'));
    const QString serial = serialNumber().value_or(QStringLiteral("N/A"));
    return vendor + QLatin1Char('-') + productNumber + QLatin1Char('-') + productName +
           QLatin1Char('-') + serial;
}

QString PointerDevice::description() const
{
    return name() + QStringLiteral(" (VID=") + vendorIDString() + QStringLiteral(", PID=") +
           productIDString() + QLatin1Char(')');
}

std::optional<double> PointerDevice::pointerResolution() const
{
    const auto fixed = readInt32(*m_client, HidKey::PointerResolution);
    if (!fixed)
        return std::nullopt;
    return fromFixedPoint(*fixed);
}

void PointerDevice::setPointerResolution(std::optional<double> resolution)
{
    // A non-finite value goes through unclamped so that the write refuses it; clamping
    // NaN would silently become the fastest speed.
    if (resolution && std::isfinite(*resolution))
        resolution = clamp(*resolution, PointerRange::MinResolution, PointerRange::MaxResolution);
    setPropertyIOFixed(*m_client, resolution, HidKey::PointerResolution);
}

QString PointerDevice::accelerationKey() const
{
    if (const auto type = readText(*m_client, HidKey::PointerAccelerationType))
        return *type;
    if (readInt32(*m_client, HidKey::PointerAcceleration))
        return HidKey::PointerAcceleration;
    return HidKey::MouseAcceleration;
}

std::optional<QString> PointerDevice::pointerAccelerationType() const
{
    return accelerationKey();
}

void PointerDevice::setPointerAccelerationType(const std::optional<QString>& type)
{
    m_client->setProperty(HidKey::PointerAccelerationType,
                          type ? HidPropertyValue::text(*type) : HidPropertyValue());
}

std::optional<std::int64_t> PointerDevice::useLinearScalingMouseAcceleration() const
{
    return readInteger(*m_client, HidKey::UseLinearScalingMouseAcceleration);
}

void PointerDevice::setUseLinearScalingMouseAcceleration(std::optional<std::int64_t> value)
{
    m_client->setProperty(HidKey::UseLinearScalingMouseAcceleration,
                          value ? HidPropertyValue::integer(*value) : HidPropertyValue());
}

std::optional<double> PointerDevice::pointerAcceleration() const
{
    if (useLinearScalingMouseAcceleration() == 1)
        return PointerRange::AccelerationOff;
    const auto fixed = readInt32(*m_client, accelerationKey());
    if (!fixed)
        return std::nullopt;
    return fromFixedPoint(*fixed);
}

void PointerDevice::setPointerAcceleration(std::optional<double> acceleration)
{
    if (acceleration && *acceleration != PointerRange::AccelerationOff &&
        std::isfinite(*acceleration))
        acceleration =
            clamp(*acceleration, PointerRange::MinAcceleration, PointerRange::MaxAcceleration);
    setPropertyIOFixed(*m_client, acceleration, accelerationKey());
}

bool PointerDevice::pointerResolutionLocked() const
{
    return !m_client->isWritable(HidKey::PointerResolution);
}

bool PointerDevice::pointerAccelerationLocked() const
{
    return !m_client->isWritable(accelerationKey());
}

std::optional<double> PointerDevice::defaultPointerResolution() const
{
    const auto fixed = readInt32(*m_client, HidKey::PointerResolutionDefault);
    return fixed ? std::optional(fromFixedPoint(*fixed)) : std::nullopt;
}

std::optional<double> PointerDevice::defaultPointerAcceleration() const
{
    const auto fixed = readInt32(*m_client, HidKey::PointerAccelerationDefault);
    return fixed ? std::optional(fromFixedPoint(*fixed)) : std::nullopt;
}

bool PointerDevice::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return m_client->conformsTo(usagePage, usage);
}

} // namespace veloquill
