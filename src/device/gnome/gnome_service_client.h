// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One pointing device udev lists, as a HID service whose settings are GNOME's settings for
// its kind (docs/gnome-backend.md): a trackball's speed is the mouse speed, its profile the
// trackball's. One object per arrival.

#include "device/gnome/gnome_settings_keys.h"
#include "device/gnome/udev_pointer_devices.h"
#include "device/service_directory.h"
#include "device/service_removal.h"

#include <memory>

namespace veloquill::gnome {

class GnomeSession;

class GnomeServiceClient : public ListedService,
                           public std::enable_shared_from_this<GnomeServiceClient>
{
public:
    GnomeServiceClient(std::weak_ptr<GnomeSession> session, UdevPointerDevice device,
                       std::uint64_t registryID);

    HidPropertyValue copyProperty(const QString& key) const override;
    void setProperty(const QString& key, const HidPropertyValue& value) override;
    // The keys this device wrote last go back to what they held before.
    HidRestoreOutcome restoreFirstSeen() override;
    // Every listed device is a generic desktop pointer (1/1) and mouse (1/2).
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const override;
    HidRegistration registerRemovalCallback(HidServiceCallback callback) override;
    // GNOME gives no raw input to other programs.
    QString describe() const override;
    // libinput's profiles at the speed written.
    std::optional<PointerCurveModel> curveModel() const override
    {
        return PointerCurveModel{PointerCurveModel::Kind::Libinput};
    }
    std::uint64_t registryID() const override { return m_registryID; }
    // The speed and acceleration keys as GSettings has them: a dconf lock makes them read-only.
    bool isWritable(const QString& key) const override;

    const UdevPointerDevice& device() const { return m_device; }
    SettingKey speedKey() const;
    SettingKey profileKey() const;
    // Used by the session when udev reports the device gone.
    void leave();

private:
    std::shared_ptr<GnomeSession> presentSession() const;
    void writeProfile(GnomeSession& session, bool flat);

    std::weak_ptr<GnomeSession> m_session;
    UdevPointerDevice m_device;
    std::uint64_t m_registryID;
    ServiceRemoval m_removal;
};

} // namespace veloquill::gnome
