// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/device_specific_settings.h"

#include "support/number_format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSet>

#include <charconv>
#include <cmath>

namespace veloquill {

namespace {
QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// RFC 8259 string: quote, backslash and control characters escaped, the rest as UTF-8.
void appendJsonString(QByteArray& json, const QString& text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    json += '"';
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            json += "\\u00";
            json += Hex[byte >> 4];
            json += Hex[byte & 0xF];
        } else {
            json += c;
        }
    }
    json += '"';
}

// The shortest digits that read back to the same double; always valid JSON for finite values.
void appendJsonNumber(QByteArray& json, double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    json.append(buffer, result.ptr - buffer);
}

// The member's value when it is there and of the type `isType` accepts; otherwise the reason.
std::optional<QJsonValue> readMember(const QJsonObject& record, const QString& member,
                                     bool (QJsonValue::*isType)() const, const char* typeName,
                                     QString* error)
{
    const QJsonValue value = record.value(member);
    if (value.isUndefined()) {
        *error = QStringLiteral("no member ") + quoted(member);
        return std::nullopt;
    }
    if (!(value.*isType)()) {
        *error = quoted(member) + QStringLiteral(" is not a ") + QLatin1String(typeName);
        return std::nullopt;
    }
    return value;
}

QByteArray compactJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray otherMembers(QJsonObject record)
{
    record.remove(DeviceSettingsMember::PointerSpeed);
    record.remove(DeviceSettingsMember::PointerAcceleration);
    record.remove(DeviceSettingsMember::PointerDisableAcceleration);
    record.remove(DeviceSettingsMember::PrecisionFactor);
    if (record.isEmpty())
        return {};
    const QByteArray json = compactJson(record);
    return json.mid(1, json.size() - 2);
}

// The member names the top-level object of valid JSON holds more than once, which
// QJsonDocument reduces to their last value without a word.
QStringList duplicatedNames(const QByteArray& json)
{
    QSet<QString> seen;
    QStringList twice;
    int depth = 0;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == '"') {
            const qsizetype start = i;
            for (++i; json.at(i) != '"'; ++i)
                i += json.at(i) == '\\';
            qsizetype next = i + 1;
            while (next < json.size() && QChar::isSpace(json.at(next)))
                ++next;
            if (depth != 1 || next == json.size() || json.at(next) != ':')
                continue;
            const QString name = QJsonDocument::fromJson('[' + json.mid(start, i + 1 - start) + ']')
                                     .array()
                                     .at(0)
                                     .toString();
            if (seen.contains(name) && !twice.contains(name))
                twice.append(name);
            seen.insert(name);
        }
    }
    return twice;
}

std::optional<DeviceSpecificSettings> readRecord(const QJsonValue& value, QString* error)
{
    if (!value.isObject()) {
        *error = QStringLiteral("not an object");
        return std::nullopt;
    }
    const QJsonObject record = value.toObject();
    const auto number = [&](const QString& member) {
        return readMember(record, member, &QJsonValue::isDouble, "number", error);
    };
    const auto speed = number(DeviceSettingsMember::PointerSpeed);
    if (!speed)
        return std::nullopt;
    const auto acceleration = number(DeviceSettingsMember::PointerAcceleration);
    if (!acceleration)
        return std::nullopt;
    const auto disabled = readMember(record, DeviceSettingsMember::PointerDisableAcceleration,
                                     &QJsonValue::isBool, "boolean", error);
    if (!disabled)
        return std::nullopt;
    const QJsonValue factor = record.value(DeviceSettingsMember::PrecisionFactor);
    return DeviceSpecificSettings{
        speed->toDouble(), acceleration->toDouble(), disabled->toBool(), otherMembers(record),
        factor.isDouble() ? factor.toDouble() : DeviceSpecificSettings::DefaultPrecisionFactor};
}
} // namespace

DeviceSettingsEncoding encodeDeviceSettingsTable(const DeviceSettingsTable& table,
                                                 const UnreadableDeviceRecords& unreadable)
{
    return DeviceSettingsEncoder().encode(table, unreadable);
}

namespace {
// The record's JSON member, "stableID":{…}; an error when a value cannot be written.
DeviceSettingsEncoding encodeRecord(const QString& stableID, const DeviceSpecificSettings& settings)
{
    // JSON has no NaN or infinities: a table holding one cannot be written at all, so that a
    // bad value never reaches the store.
    for (const auto& [member, value] :
         {std::pair(DeviceSettingsMember::PointerSpeed, settings.pointerSpeed),
          std::pair(DeviceSettingsMember::PointerAcceleration, settings.pointerAcceleration),
          std::pair(DeviceSettingsMember::PrecisionFactor, settings.precisionFactor)}) {
        if (!std::isfinite(value)) {
            return {std::nullopt, QStringLiteral("record ") + quoted(stableID) +
                                      QStringLiteral(": ") + member +
                                      QStringLiteral(" is not a finite number (") +
                                      formatReal(value) + QLatin1Char(')')};
        }
    }
    QByteArray json;
    appendJsonString(json, stableID);
    json += R"(:{"pointerSpeed":)";
    appendJsonNumber(json, settings.pointerSpeed);
    json += R"(,"pointerAcceleration":)";
    appendJsonNumber(json, settings.pointerAcceleration);
    json += R"(,"pointerDisableAcceleration":)";
    json += settings.pointerDisableAcceleration ? "true" : "false";
    json += R"(,"precisionFactor":)";
    appendJsonNumber(json, settings.precisionFactor);
    if (!settings.otherMembers.isEmpty()) {
        json += ',';
        json += settings.otherMembers;
    }
    json += '}';
    return {std::move(json), QString()};
}
} // namespace

std::optional<DeviceSettingsEncoding>
DeviceSettingsEncoder::updateInPlace(const DeviceSettingsTable& table)
{
    if (m_records.size() != size_t(table.size()))
        return std::nullopt;
    auto cached = m_records.begin();
    for (auto it = table.cbegin(); it != table.cend(); ++it, ++cached) {
        if (cached->stableID != it.key())
            return std::nullopt;
    }
    cached = m_records.begin();
    for (auto it = table.cbegin(); it != table.cend(); ++it, ++cached) {
        if (cached->settings == it.value())
            continue;
        DeviceSettingsEncoding encoded = encodeRecord(it.key(), it.value());
        if (!encoded.data)
            return encoded;
        cached->settings = it.value();
        cached->json = *std::move(encoded.data);
    }
    return DeviceSettingsEncoding{QByteArray(), QString()};
}

std::optional<QString> DeviceSettingsEncoder::rebuild(const DeviceSettingsTable& table)
{
    QHash<QString, size_t> before;
    before.reserve(qsizetype(m_records.size()));
    for (size_t i = 0; i < m_records.size(); ++i)
        before.insert(m_records[i].stableID, i);
    std::vector<Encoded> records;
    records.reserve(size_t(table.size()));
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        if (const auto old = before.constFind(it.key());
            old != before.cend() && m_records[*old].settings == it.value()) {
            records.push_back(std::move(m_records[*old]));
            continue;
        }
        DeviceSettingsEncoding encoded = encodeRecord(it.key(), it.value());
        if (!encoded.data) {
            m_records.clear();
            return encoded.error;
        }
        records.push_back({it.key(), it.value(), *std::move(encoded.data)});
    }
    m_records = std::move(records);
    return std::nullopt;
}

DeviceSettingsEncoding DeviceSettingsEncoder::encode(const DeviceSettingsTable& table,
                                                     const UnreadableDeviceRecords& unreadable)
{
    // Written directly rather than through QJsonObject, which costs a hundred times more and
    // grows quadratically with the table.
    if (const auto updated = updateInPlace(table)) {
        if (!updated->data)
            return *updated;
    } else if (const std::optional<QString> error = rebuild(table)) {
        return {std::nullopt, *error};
    }
    QList<QByteArray> others;
    qsizetype size = 2;
    for (const Encoded& record : m_records)
        size += record.json.size() + 1;
    for (auto it = unreadable.cbegin(); it != unreadable.cend(); ++it) {
        if (table.contains(it.key()))
            continue;
        QByteArray json;
        appendJsonString(json, it.key());
        json += ':';
        json += it.value();
        size += json.size() + 1;
        others.append(std::move(json));
    }
    // Sized whole beforehand: a QByteArray that outgrows what was reserved grows by copying.
    QByteArray json;
    json.reserve(size);
    json += '{';
    const auto append = [&json](const QByteArray& part) {
        if (json.size() > 1)
            json += ',';
        json += part;
    };
    for (const Encoded& record : m_records)
        append(record.json);
    for (const QByteArray& other : std::as_const(others))
        append(other);
    json += '}';
    return {std::move(json), QString()};
}

DeviceSettingsDecoding decodeDeviceSettingsTable(const QByteArray& data)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return {std::nullopt, QStringLiteral("not JSON: ") + parseError.errorString() +
                                  QStringLiteral(" at offset ") +
                                  QString::number(parseError.offset)};
    }
    if (!document.isObject())
        return {std::nullopt, QStringLiteral("the top-level value is not an object")};

    const QJsonObject root = document.object();
    DeviceSettingsDecoding decoded;
    DeviceSettingsTable table;
    table.reserve(root.size());
    for (auto it = root.constBegin(); it != root.constEnd(); ++it) {
        QString error;
        if (const auto record = readRecord(it.value(), &error)) {
            table.insert(it.key(), *record);
            continue;
        }
        // Wrapped in an array, as QJsonDocument writes only objects and arrays.
        const QByteArray wrapped =
            QJsonDocument(QJsonArray{it.value()}).toJson(QJsonDocument::Compact);
        decoded.unreadableRecords.insert(it.key(), wrapped.mid(1, wrapped.size() - 2));
        decoded.recordErrors.append(QStringLiteral("record ") + quoted(it.key()) +
                                    QStringLiteral(": ") + error);
    }
    decoded.table = std::move(table);
    decoded.duplicatedRecords = duplicatedNames(data);
    return decoded;
}

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
