// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The state the GNOME backend's objects share: the devices udev lists, GNOME's per-kind
// pointer settings, and what this program wrote to them. GNOME keeps one setting for every
// device of a kind, so a key written for a device belongs to the device that wrote it last:
// when that device leaves, or at quit, the key goes back to what it held before (the user's
// own value, or reset to its default) unless another program changed it since.

#include "device/desktop_session.h"
#include "device/gnome/gnome_settings_keys.h"
#include "device/libinput_service.h"
#include "device/restore_journal.h"
#include "device/udev_pointer_devices.h"

#include <QObject>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <set>

namespace veloquill::gnome {

inline const QString kLogPrefix = QStringLiteral("GNOME: ");

class GnomeSession;

// One pointing device udev lists, whose libinput settings are GNOME's settings for its kind
// (docs/gnome-backend.md). One object per arrival.
class GnomeDevice : public LibinputService
{
public:
    GnomeDevice(std::weak_ptr<GnomeSession> session, UdevPointerDevice device,
                std::uint64_t registryID)
        : LibinputService(registryID, kLogPrefix), m_session(std::move(session)),
          m_device(std::move(device))
    {}

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
    libinput::Values current() const override { return read(GnomeSettingsKeys::Reading::Value); }
    libinput::Values defaults() const override { return read(GnomeSettingsKeys::Reading::Default); }
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
    libinput::Values read(GnomeSettingsKeys::Reading reading) const;

    std::weak_ptr<GnomeSession> m_session;
    UdevPointerDevice m_device;
};

// A key this program has written and that still holds what it wrote.
struct KeyState
{
    // The user's own value before the first write; invalid when the key held its default, which
    // it is reset to rather than given the default as a value of the user's.
    QVariant original;
    QVariant written;
    // The service that wrote it last; 0 for a write of an earlier run.
    std::uint64_t owner = 0;
};

using KeyStates = std::map<SettingKey, KeyState>;

class GnomeSession : public QObject,
                     public ListingSession<GnomeDevice>,
                     public std::enable_shared_from_this<GnomeSession>
{
    Q_OBJECT

public:
    // Originals are journaled in `journalDirectory` (empty: $XDG_RUNTIME_DIR).
    explicit GnomeSession(const QString& journalDirectory);
    // Puts back what a run that did not quit left written, then lists udev's devices.
    void start();

    GnomeSettingsKeys& keys() { return m_keys; }
    bool reachable() const override { return m_keys.available(); }

    // Writes the key for the service; the key's value before this program's first write is
    // journaled beforehand. One line when GSettings refuses it. An invalid value puts back what
    // the key held before this program wrote it, if it is still ours.
    void write(SettingKey key, const QVariant& value, const GnomeDevice& service);
    // The keys `owner` wrote last go back; whether they, and its kind's keys, are back.
    RestoreOutcome restore(std::uint64_t owner, SettingKey speed, SettingKey profile);
    // Keys written by an earlier run that no device here wrote since; put back, they go.
    std::size_t restoreUnlisted() override;
    void forgetOriginals() override { m_journal.remove(); }
    QStringList notPutBack() const override { return m_journal.notPutBack(); }

private Q_SLOTS:
    void deviceAdded(const veloquill::UdevPointerDevice& device);
    void deviceRemoved(const QString& sysName);
    void keyChanged(veloquill::gnome::SettingKey key);

private:
    // The key goes back to what it held before this program wrote it, unless another program
    // changed it since; false when it could not, and it stays ours.
    bool putBack(SettingKey key);
    // Every key the service wrote last goes back; whether it had any.
    bool putBackKeysOf(std::uint64_t owner);
    void journal();

    UdevPointerDevices m_devices;
    GnomeSettingsKeys m_keys;
    KeyStates m_states;
    std::set<SettingKey> m_putBackAtStart;
    RestoreJournal m_journal;
    QString m_bootMark;
    std::uint64_t m_nextRegistryID = 1;
};

} // namespace veloquill::gnome
