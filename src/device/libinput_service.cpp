// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/libinput_service.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/libinput_mapping.h"
#include "support/fixed_point.h"

namespace veloquill {

namespace {
// The layer's acceleration values: off, and the neutral amount an adaptive profile reads as.
// libinput has no amount of acceleration apart from the speed: only off or on is written.
constexpr std::int32_t kAccelerationOff = -static_cast<std::int32_t>(kFixedPointScale);
constexpr std::int32_t kAccelerationOn = static_cast<std::int32_t>(kFixedPointScale);

bool isAccelerationKey(const QString& key)
{
    return key == HidKey::PointerAcceleration || key == HidKey::MouseAcceleration ||
           key == HidKey::UseLinearScalingMouseAcceleration;
}

HidPropertyValue resolutionValue(std::optional<double> speed)
{
    const auto resolution = speed ? libinput::resolutionForSpeed(*speed) : std::nullopt;
    return resolution ? HidPropertyValue::integer(*resolution) : HidPropertyValue();
}

HidPropertyValue accelerationValue(const QString& key, std::optional<bool> flat)
{
    if (!flat)
        return {};
    if (key == HidKey::UseLinearScalingMouseAcceleration)
        return HidPropertyValue::integer(*flat ? 1 : 0);
    return HidPropertyValue::integer(*flat ? kAccelerationOff : kAccelerationOn);
}
} // namespace

LibinputService::LibinputService(std::uint64_t registryID, QString logPrefix, QString desktop)
    : m_registryID(registryID), m_logPrefix(std::move(logPrefix)), m_desktop(std::move(desktop))
{}

HidPropertyValue LibinputService::copyProperty(const QString& key) const
{
    if (key == HidKey::Product)
        return HidPropertyValue::text(identity().name);
    if (key == HidKey::VendorID)
        return HidPropertyValue::integer(identity().vendor);
    if (key == HidKey::ProductID)
        return HidPropertyValue::integer(identity().product);
    if (key == HidKey::SerialNumber) {
        const auto serial = identity().serialNumber;
        return serial ? HidPropertyValue::text(*serial) : HidPropertyValue();
    }
    // Named outright, so the layer need not ask which key holds the acceleration.
    if (key == HidKey::PointerAccelerationType)
        return HidPropertyValue::text(HidKey::PointerAcceleration);
    const bool isDefault =
        key == HidKey::PointerResolutionDefault || key == HidKey::PointerAccelerationDefault;
    if ((key != HidKey::PointerResolution && !isAccelerationKey(key) && !isDefault) || !reachable())
        return {};
    if (key == HidKey::PointerResolutionDefault)
        return resolutionValue(defaults().speed);
    if (key == HidKey::PointerAccelerationDefault)
        return accelerationValue(key, defaults().flat);
    const libinput::Values now = current();
    if (key == HidKey::PointerResolution)
        return resolutionValue(now.speed);
    return accelerationValue(key, now.flat);
}

void LibinputService::setProperty(const QString& key, const HidPropertyValue& value)
{
    if (!acceptsWrites())
        return;
    QString why;
    if (key == HidKey::PointerResolution) {
        std::optional<double> speed;
        if (!value.isNull()) {
            const auto fixed = value.toInt32();
            speed = fixed ? libinput::speedForResolution(*fixed) : std::nullopt;
            if (!speed)
                why = QStringLiteral("not a positive 32-bit resolution");
        }
        if (why.isEmpty())
            why = writeSpeed(speed);
    } else if (!isAccelerationKey(key)) {
        why = m_desktop + QStringLiteral(" does not let it be set");
    } else if (value.isNull()) {
        why = writeProfile(std::nullopt);
    } else if (key == HidKey::UseLinearScalingMouseAcceleration) {
        const auto linear = value.toInteger();
        why = linear ? writeProfile(*linear != 0) : QStringLiteral("not an integer");
    } else {
        const auto amount = value.toInt32();
        why = amount ? writeProfile(*amount == kAccelerationOff)
                     : QStringLiteral("not a 32-bit integer");
    }
    if (!why.isEmpty())
        logIgnoredWrite(m_logPrefix, *this, key, value, why);
}

bool LibinputService::isWritable(const QString& key) const
{
    if (!reachable())
        return true; // nothing to tell: the write itself says it went nowhere
    if (key == HidKey::PointerResolution)
        return speedWritable();
    if (isAccelerationKey(key))
        return profileWritable();
    return true;
}

bool LibinputService::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return isPointerOrMouseUsage(usagePage, usage);
}

HidRegistration LibinputService::registerRemovalCallback(HidServiceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

void LibinputService::leave()
{
    // Keeps this object alive should a callback drop the last reference to it.
    m_removal.leave(shared_from_this());
}

} // namespace veloquill
