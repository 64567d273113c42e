// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// GNOME's pointer settings, one set per kind of device, in the schemas
// org.gnome.desktop.peripherals.{mouse,trackball,touchpad,pointingstick} through GSettings.
// Mutter applies them at once to every device of the kind. Writes never wait: GSettings'
// backend (dconf in a real session) takes them in the background.

#include "device/udev_pointer_devices.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace veloquill::gnome {

// GNOME keeps one schema per kind of pointing device.
using Schema = DeviceKind;

enum class Key
{
    Speed,       // "speed", a double from -1 to 1; the trackball schema has none
    AccelProfile // "accel-profile": "default", "flat" or "adaptive"
};

struct SettingKey
{
    Schema schema = Schema::Mouse;
    Key key = Key::Speed;
    friend auto operator<=>(const SettingKey&, const SettingKey&) = default;
};

// "org.gnome.desktop.peripherals.mouse", "speed": for log lines and the journal.
QString schemaId(Schema schema);
QString keyName(Key key);
// The schema of that id, and its key of that name; nothing for one GNOME does not have.
std::optional<Schema> schemaNamed(const QString& id);
std::optional<SettingKey> keyNamed(Schema schema, const QString& name);

class GnomeSettingsKeys : public QObject
{
    Q_OBJECT

public:
    explicit GnomeSettingsKeys(QObject* parent = nullptr);
    ~GnomeSettingsKeys() override;

    // Whether the four schemas, with the keys above, are installed; when not, nothing below
    // reads or writes anything.
    bool available() const { return m_schemas != nullptr; }
    enum class Reading
    {
        Value,     // what the key holds now: the user's value, else the default
        UserValue, // invalid when the key holds its default because none was set
        Default
    };
    // A double for Speed, a string for AccelProfile; invalid when unavailable.
    QVariant read(SettingKey key, Reading reading = Reading::Value) const;
    // False when the administrator locked it (a dconf lock), or the key is unavailable.
    bool isWritable(SettingKey key) const;
    // A value of the key's type; false when refused: not writable (locked down), out of the
    // key's range. An invalid value resets the key: the user's value goes, and it holds its
    // default again.
    bool write(SettingKey key, const QVariant& value);
    // Waits until every write has reached the backend: only before the program exits.
    void sync();

Q_SIGNALS:
    // Any change of a key, this process's own writes included, on the main loop.
    void changed(veloquill::gnome::SettingKey key);

private:
    struct Schemas;
    std::unique_ptr<Schemas> m_schemas;
};

} // namespace veloquill::gnome
