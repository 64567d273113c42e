// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_device.h"

#include "device/gnome/gnome_session.h"

namespace veloquill::gnome {

namespace {
const QString kFlat = QStringLiteral("flat");
const QString kAdaptive = QStringLiteral("adaptive");
} // namespace

GnomeDevice::GnomeDevice(std::weak_ptr<GnomeSession> session, UdevPointerDevice device,
                         std::uint64_t registryID)
    : LibinputService(registryID, kLogPrefix), m_session(std::move(session)),
      m_device(std::move(device))
{}

std::shared_ptr<GnomeSession> GnomeDevice::presentSession() const
{
    auto session = m_session.lock();
    return session && !hasLeft() && session->reachable() ? session : nullptr;
}

libinput::Values GnomeDevice::read(QVariant (GnomeSettingsKeys::*get)(SettingKey) const) const
{
    const GnomeSettingsKeys& keys = presentSession()->keys();
    const QVariant speed = (keys.*get)(speedKey());
    const QVariant profile = (keys.*get)(profileKey());
    // GNOME's "default" profile is libinput's default for the device, adaptive for every
    // pointer it drives: only "flat" is acceleration off.
    libinput::Values values;
    if (speed.isValid())
        values.speed = speed.toDouble();
    if (profile.isValid())
        values.flat = profile.toString() == kFlat;
    return values;
}

bool GnomeDevice::speedWritable() const
{
    return presentSession()->keys().isWritable(speedKey());
}

bool GnomeDevice::profileWritable() const
{
    return presentSession()->keys().isWritable(profileKey());
}

QString GnomeDevice::writeSpeed(std::optional<double> speed)
{
    presentSession()->write(speedKey(), speed ? QVariant(*speed) : QVariant(), *this);
    return {};
}

QString GnomeDevice::writeProfile(std::optional<bool> flat)
{
    presentSession()->write(profileKey(), flat ? QVariant(*flat ? kFlat : kAdaptive) : QVariant(),
                            *this);
    return {};
}

RestoreOutcome GnomeDevice::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || !session->reachable())
        return RestoreOutcome::Unreachable;
    if (hasLeft())
        return RestoreOutcome::Untouched;
    // Its kind's keys an earlier run left written went back at start: restored all the same.
    const bool putBack = session->putBackKeysOf(registryID()) ||
                         session->putBackAtStart(speedKey()) ||
                         session->putBackAtStart(profileKey());
    if (!putBack)
        return RestoreOutcome::Untouched;
    // A key GSettings would not take back stays ours, and in the journal.
    for (const SettingKey key : {speedKey(), profileKey()}) {
        if (session->written(key))
            return RestoreOutcome::Refused;
    }
    return RestoreOutcome::Restored;
}

} // namespace veloquill::gnome
