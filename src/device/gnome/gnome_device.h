// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One pointing device udev lists, whose libinput settings are GNOME's settings for its kind
// (docs/gnome-backend.md): a trackball's speed is the mouse speed, its profile the
// trackball's. One object per arrival.

#include "device/gnome/gnome_settings_keys.h"
#include "device/libinput_service.h"
#include "device/udev_pointer_devices.h"

#include <memory>

namespace veloquill::gnome {

class GnomeSession;

class GnomeDevice : public LibinputService
{
public:
    GnomeDevice(std::weak_ptr<GnomeSession> session, UdevPointerDevice device,
                std::uint64_t registryID);

    // The keys this device wrote last go back to what they held before.
    RestoreOutcome restoreFirstSeen() override;
    QString describe() const override { return describeAs(QStringLiteral("GNOME")); }
    QString listedName() const override { return m_device.sysName; }

protected:
    LibinputIdentity identity() const override
    {
        return {m_device.name, m_device.vendor, m_device.product, m_device.serialNumber};
    }
    bool reachable() const override { return presentSession() != nullptr; }
    // The keys as GSettings has them now, and its defaults.
    libinput::Values current() const override { return read(&GnomeSettingsKeys::value); }
    libinput::Values defaults() const override { return read(&GnomeSettingsKeys::defaultValue); }
    // Nothing puts the key back as it was before this program wrote it.
    QString writeSpeed(std::optional<double> speed) override;
    QString writeProfile(std::optional<bool> flat) override;
    // A dconf lock makes a key read-only.
    bool speedWritable() const override;
    bool profileWritable() const override;

private:
    // The trackball schema has no speed: Mutter gives trackballs the mouse speed.
    SettingKey speedKey() const
    {
        return {m_device.kind == Schema::Trackball ? Schema::Mouse : m_device.kind, Key::Speed};
    }
    SettingKey profileKey() const { return {m_device.kind, Key::AccelProfile}; }
    std::shared_ptr<GnomeSession> presentSession() const;
    // Both keys as `get` reads them.
    libinput::Values read(QVariant (GnomeSettingsKeys::*get)(SettingKey) const) const;

    std::weak_ptr<GnomeSession> m_session;
    UdevPointerDevice m_device;
};

} // namespace veloquill::gnome
