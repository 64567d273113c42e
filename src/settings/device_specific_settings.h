// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "settings/defaults_store.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace veloquill {

// The three values the user chose for one device, and how much precision mode slows it. No
// range checks of its own: it holds exactly what the settings state showed when it was written.
struct DeviceSpecificSettings
{
    double pointerSpeed = 0.0;
    double pointerAcceleration = 0.0;
    bool pointerDisableAcceleration = false;
    // Members a newer version wrote, as compact JSON without the braces, written back as
    // they were read so that going back and forth between versions loses nothing.
    QByteArray otherMembers = {};
    // What precision mode multiplies the speed factor by; records from before it read as this.
    double precisionFactor = DefaultPrecisionFactor;

    static constexpr double DefaultPrecisionFactor = 0.25;

    friend bool operator==(const DeviceSpecificSettings&, const DeviceSpecificSettings&) = default;
};

// stableID → settings of every device ever adjusted.
using DeviceSettingsTable = QHash<QString, DeviceSpecificSettings>;

// JSON member names of a stored record.
namespace DeviceSettingsMember {
inline const QString PointerSpeed = QStringLiteral("pointerSpeed");
inline const QString PointerAcceleration = QStringLiteral("pointerAcceleration");
inline const QString PointerDisableAcceleration = QStringLiteral("pointerDisableAcceleration");
inline const QString PrecisionFactor = QStringLiteral("precisionFactor");
} // namespace DeviceSettingsMember

struct DeviceSettingsEncoding
{
    std::optional<QByteArray> data; // absent when encoding failed
    QString error;
};

// stableID → a record this version cannot read, as compact JSON, kept to be written back.
using UnreadableDeviceRecords = QHash<QString, QByteArray>;

struct DeviceSettingsDecoding
{
    std::optional<DeviceSettingsTable> table; // absent when decoding failed
    QString error;
    UnreadableDeviceRecords unreadableRecords = {};
    QStringList recordErrors = {}; // one per unreadable record, naming it
    // stableIDs the table holds more than once; of each, the last record is the one kept.
    QStringList duplicatedRecords = {};
};

// Compact UTF-8 JSON of the whole table: one object from stableID to a record with all
// three members (and the other members it was read with), followed by the unreadable
// records of devices the table has no record for. A non-finite value cannot be written, so
// it fails the whole table.
DeviceSettingsEncoding encodeDeviceSettingsTable(const DeviceSettingsTable& table,
                                                 const UnreadableDeviceRecords& unreadable = {});

// Encodes the table as encodeDeviceSettingsTable() does, keeping each record's JSON for the next
// call: a slider step changes one record of a table that may hold thousands, and only that one
// is encoded again. The records are kept in the table's order, so that a table whose records
// are the same devices as last time is compared in one pass, without a lookup per record.
class DeviceSettingsEncoder
{
public:
    DeviceSettingsEncoding encode(const DeviceSettingsTable& table,
                                  const UnreadableDeviceRecords& unreadable = {});

private:
    struct Encoded
    {
        QString stableID;
        DeviceSpecificSettings settings;
        QByteArray json; // "stableID":{…}
    };
    // Whether every record is the same device, in the same place, as last time; changed ones
    // are encoded again. Nothing (and the cache as it was) when a device is not there.
    std::optional<DeviceSettingsEncoding> updateInPlace(const DeviceSettingsTable& table);
    // The records for a table of other devices, reusing what still fits.
    std::optional<QString> rebuild(const DeviceSettingsTable& table);

    std::vector<Encoded> m_records;
};

// A record must carry all three members, the two numbers as JSON numbers and the switch as
// a JSON boolean; the precision factor is optional (a record without it, or with something
// other than a number there, gets the default); one that does not is set apart in
// unreadableRecords, and the others still apply. Data that is not one JSON object fails the whole
// table. A stableID found twice keeps its last record and is named in duplicatedRecords.
DeviceSettingsDecoding decodeDeviceSettingsTable(const QByteArray& data);

// Merges two stored per-device tables record by record, against the one both started from:
// a record only the other writer added, changed or removed is taken in; where both changed
// one, mine is kept and replacedTheirs is set. A table of theirs that cannot be read as one,
// or holds a device twice, is replaced by mine (with replacedTheirs set) or, for the twice
// held device, read with its last record. A base that cannot be read counts as empty.
DataMerge mergeDeviceSettingsData(const std::optional<QByteArray>& base, const QByteArray& mine,
                                  const std::optional<QByteArray>& theirs);

} // namespace veloquill
