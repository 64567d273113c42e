// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/device_settings_merge.h"

#include "settings/device_specific_settings.h"

#include <QSet>

namespace veloquill {

namespace {
// One version of the table: readable records, and those kept as they were.
struct TableVersion
{
    DeviceSettingsTable table;
    UnreadableDeviceRecords unreadable;

    bool sameRecord(const TableVersion& other, const QString& id) const
    {
        return table.contains(id) == other.table.contains(id) &&
               table.value(id) == other.table.value(id) &&
               unreadable.value(id) == other.unreadable.value(id);
    }

    void takeRecord(const TableVersion& from, const QString& id)
    {
        table.remove(id);
        unreadable.remove(id);
        if (const auto record = from.table.constFind(id); record != from.table.cend())
            table.insert(id, *record);
        if (const auto record = from.unreadable.constFind(id); record != from.unreadable.cend())
            unreadable.insert(id, *record);
    }

    QSet<QString> ids() const
    {
        QSet<QString> all(table.keyBegin(), table.keyEnd());
        return all.unite(QSet<QString>(unreadable.keyBegin(), unreadable.keyEnd()));
    }
};

TableVersion versionOf(const DeviceSettingsDecoding& decoded)
{
    if (!decoded.table)
        return {};
    return {*decoded.table, decoded.unreadableRecords};
}
} // namespace

DataMerge mergeDeviceSettingsData(const std::optional<QByteArray>& base, const QByteArray& mine,
                                  const std::optional<QByteArray>& theirs)
{
    const DeviceSettingsDecoding theirsDecoded =
        theirs ? decodeDeviceSettingsTable(*theirs) : DeviceSettingsDecoding{};
    if (!theirsDecoded.table)
        return {mine, true};
    const TableVersion baseVersion =
        base ? versionOf(decodeDeviceSettingsTable(*base)) : TableVersion{};
    const TableVersion theirsVersion = versionOf(theirsDecoded);
    TableVersion merged = versionOf(decodeDeviceSettingsTable(mine));
    const TableVersion mineVersion = merged;
    bool replacedTheirs = !theirsDecoded.duplicatedRecords.isEmpty();
    bool tookAny = false;
    const QSet<QString> ids = baseVersion.ids().unite(theirsVersion.ids());
    for (const QString& id : ids) {
        if (mineVersion.sameRecord(theirsVersion, id) || theirsVersion.sameRecord(baseVersion, id))
            continue;
        if (mineVersion.sameRecord(baseVersion, id)) {
            merged.takeRecord(theirsVersion, id);
            tookAny = true;
        } else {
            replacedTheirs = true;
        }
    }
    const DeviceSettingsEncoding encoded =
        tookAny ? encodeDeviceSettingsTable(merged.table, merged.unreadable)
                : DeviceSettingsEncoding{mine, {}};
    return {encoded.data.value_or(mine), replacedTheirs || !encoded.data};
}

} // namespace veloquill
