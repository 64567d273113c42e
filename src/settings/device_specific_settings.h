#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace veloquill {

// The three values the user chose for one device. No defaults and no range checks of its
// own: it holds exactly what the settings state showed when it was written.
struct DeviceSpecificSettings
{
    double pointerSpeed = 0.0;
    double pointerAcceleration = 0.0;
    bool pointerDisableAcceleration = false;

    friend bool operator==(const DeviceSpecificSettings&, const DeviceSpecificSettings&) = default;
};

// stableID → settings of every device ever adjusted.
using DeviceSettingsTable = QHash<QString, DeviceSpecificSettings>;

// JSON member names of a stored record.
namespace DeviceSettingsMember {
inline const QString PointerSpeed = QStringLiteral("pointerSpeed");
inline const QString PointerAcceleration = QStringLiteral("pointerAcceleration");
inline const QString PointerDisableAcceleration = QStringLiteral("pointerDisableAcceleration");
} // namespace DeviceSettingsMember

struct DeviceSettingsEncoding
{
    std::optional<QByteArray> data; // absent when encoding failed
    QString error;
};

struct DeviceSettingsDecoding
{
    std::optional<DeviceSettingsTable> table; // absent when decoding failed
    QString error;
};

// Compact UTF-8 JSON of the whole table: one object from stableID to a record with all
// three members. A non-finite value cannot be written, so it fails the whole table.
DeviceSettingsEncoding encodeDeviceSettingsTable(const DeviceSettingsTable& table);

// Strict: every record must carry all three members, the two numbers as JSON numbers and
// the switch as a JSON boolean. Any fault fails the whole table; unknown members are ignored.
DeviceSettingsDecoding decodeDeviceSettingsTable(const QByteArray& data);

} // namespace veloquill
