// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_service_client.h"

#include "device/gnome/gnome_session.h"
#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/libinput_mapping.h"
#include "support/fixed_point.h"
#include "support/log.h"

namespace veloquill::gnome {

namespace {
// The layer's acceleration values: off, and the neutral amount an adaptive profile reads as.
constexpr std::int32_t kAccelerationOff = -static_cast<std::int32_t>(kFixedPointScale);
constexpr std::int32_t kAccelerationOn = static_cast<std::int32_t>(kFixedPointScale);
const QString kFlat = QStringLiteral("flat");
const QString kAdaptive = QStringLiteral("adaptive");

bool isAccelerationKey(const QString& key)
{
    return key == HidKey::PointerAcceleration || key == HidKey::MouseAcceleration ||
           key == HidKey::UseLinearScalingMouseAcceleration;
}

Schema schemaOf(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Trackball:
        return Schema::Trackball;
    case DeviceKind::Touchpad:
        return Schema::Touchpad;
    case DeviceKind::PointingStick:
        return Schema::PointingStick;
    case DeviceKind::Mouse:
        break;
    }
    return Schema::Mouse;
}

// GNOME's "default" profile is libinput's default for the device, adaptive for every pointer
// it drives: only "flat" is acceleration off.
HidPropertyValue accelerationValue(const QString& key, const QVariant& profile)
{
    if (!profile.isValid())
        return {};
    const bool flat = profile.toString() == kFlat;
    if (key == HidKey::UseLinearScalingMouseAcceleration)
        return HidPropertyValue::integer(flat ? 1 : 0);
    return HidPropertyValue::integer(flat ? kAccelerationOff : kAccelerationOn);
}

HidPropertyValue resolutionValue(const QVariant& speed)
{
    const auto resolution =
        speed.isValid() ? libinput::resolutionForSpeed(speed.toDouble()) : std::nullopt;
    return resolution ? HidPropertyValue::integer(*resolution) : HidPropertyValue();
}
} // namespace

GnomeServiceClient::GnomeServiceClient(std::weak_ptr<GnomeSession> session,
                                       UdevPointerDevice device, std::uint64_t registryID)
    : m_session(std::move(session)), m_device(std::move(device)), m_registryID(registryID)
{}

SettingKey GnomeServiceClient::speedKey() const
{
    // The trackball schema has no speed: Mutter gives trackballs the mouse speed.
    const Schema schema = schemaOf(m_device.kind);
    return {schema == Schema::Trackball ? Schema::Mouse : schema, Key::Speed};
}

SettingKey GnomeServiceClient::profileKey() const
{
    return {schemaOf(m_device.kind), Key::AccelProfile};
}

std::shared_ptr<GnomeSession> GnomeServiceClient::presentSession() const
{
    auto session = m_session.lock();
    return session && !m_removal.left() && session->available() ? session : nullptr;
}

HidPropertyValue GnomeServiceClient::copyProperty(const QString& key) const
{
    if (key == HidKey::Product)
        return HidPropertyValue::text(m_device.name);
    if (key == HidKey::VendorID)
        return HidPropertyValue::integer(m_device.vendor);
    if (key == HidKey::ProductID)
        return HidPropertyValue::integer(m_device.product);
    if (key == HidKey::SerialNumber)
        return m_device.serialNumber ? HidPropertyValue::text(*m_device.serialNumber)
                                     : HidPropertyValue();
    // Named outright, so the layer need not ask which key holds the acceleration.
    if (key == HidKey::PointerAccelerationType)
        return HidPropertyValue::text(HidKey::PointerAcceleration);
    const auto session = presentSession();
    if (!session)
        return {};
    GnomeSettingsKeys& keys = session->keys();
    if (key == HidKey::PointerResolution)
        return resolutionValue(keys.value(speedKey()));
    if (key == HidKey::PointerResolutionDefault)
        return resolutionValue(keys.defaultValue(speedKey()));
    if (key == HidKey::PointerAccelerationDefault)
        return accelerationValue(key, keys.defaultValue(profileKey()));
    if (isAccelerationKey(key))
        return accelerationValue(key, keys.value(profileKey()));
    return {};
}

bool GnomeServiceClient::isWritable(const QString& key) const
{
    const auto session = presentSession();
    if (!session)
        return true; // nothing to tell: the write itself says it went nowhere
    if (key == HidKey::PointerResolution)
        return session->keys().isWritable(speedKey());
    if (isAccelerationKey(key))
        return session->keys().isWritable(profileKey());
    return true;
}

void GnomeServiceClient::setProperty(const QString& key, const HidPropertyValue& value)
{
    const auto session = presentSession();
    const bool writable = key == HidKey::PointerResolution || isAccelerationKey(key);
    if (!session || !writable) {
        if (session)
            logIgnoredWrite(kLogPrefix, *this, key, value,
                            QStringLiteral("GNOME does not let it be set"));
        return;
    }
    if (value.isNull()) {
        // Back to what the setting held before this program wrote it.
        session->putBack(key == HidKey::PointerResolution ? speedKey() : profileKey());
    } else if (key == HidKey::PointerResolution) {
        const auto fixed = value.toInt32();
        const auto speed = fixed ? libinput::speedForResolution(*fixed) : std::nullopt;
        if (speed)
            session->write(speedKey(), *speed, *this);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value,
                            QStringLiteral("not a positive 32-bit resolution"));
    } else if (key == HidKey::UseLinearScalingMouseAcceleration) {
        const auto linear = value.toInteger();
        if (linear)
            writeProfile(*session, *linear != 0);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value, QStringLiteral("not an integer"));
    } else {
        // GNOME has no amount of acceleration apart from the speed: only off or on is written.
        const auto amount = value.toInt32();
        if (amount)
            writeProfile(*session, *amount == kAccelerationOff);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value, QStringLiteral("not a 32-bit integer"));
    }
}

void GnomeServiceClient::writeProfile(GnomeSession& session, bool flat)
{
    session.write(profileKey(), flat ? kFlat : kAdaptive, *this);
}

HidRestoreOutcome GnomeServiceClient::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || !session->available())
        return HidRestoreOutcome::Unreachable;
    if (m_removal.left())
        return HidRestoreOutcome::Untouched;
    // Its kind's keys an earlier run left written went back at start: restored all the same.
    const bool putBack = session->putBackKeysOf(m_registryID) ||
                         session->putBackAtStart(speedKey()) ||
                         session->putBackAtStart(profileKey());
    if (!putBack)
        return HidRestoreOutcome::Untouched;
    // A key GSettings would not take back stays ours, and in the journal.
    for (const SettingKey key : {speedKey(), profileKey()}) {
        if (session->written(key))
            return HidRestoreOutcome::Refused;
    }
    return HidRestoreOutcome::Restored;
}

bool GnomeServiceClient::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return isPointerOrMouseUsage(usagePage, usage);
}

HidRegistration GnomeServiceClient::registerRemovalCallback(HidServiceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

QString GnomeServiceClient::describe() const
{
    return QStringLiteral("GNOME device ") + m_device.sysName + QStringLiteral(" \"") +
           m_device.name + QStringLiteral("\" (service ") + QString::number(m_registryID) +
           QLatin1Char(')');
}

void GnomeServiceClient::leave()
{
    // Keeps this object alive should a callback drop the last reference to it.
    m_removal.leave(shared_from_this());
}

} // namespace veloquill::gnome
