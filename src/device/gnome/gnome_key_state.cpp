// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_key_state.h"

#include "device/libinput_mapping.h"

#include <QStringList>

#include <cmath>
#include <cstring>

namespace veloquill::gnome {

namespace {
const QString kNone = QStringLiteral("none");

const QStringList& profiles()
{
    static const QStringList names{QStringLiteral("default"), QStringLiteral("flat"),
                                   QStringLiteral("adaptive")};
    return names;
}

// The journal keeps every value of a key in the same size: a double's 8 bytes for a speed, one
// byte naming the profile.
int sizeOf(SettingKey key)
{
    return key.key == Key::AccelProfile ? 1 : static_cast<int>(sizeof(double));
}

QByteArray bytesOf(SettingKey key, const QVariant& value)
{
    if (key.key == Key::AccelProfile)
        return QByteArray(1, static_cast<char>(profiles().indexOf(value.toString())));
    const double number = value.toDouble();
    QByteArray bytes(sizeof number, Qt::Uninitialized);
    std::memcpy(bytes.data(), &number, sizeof number);
    return bytes;
}

// Nothing when the bytes are no value this program writes to the key.
std::optional<QVariant> valueOf(SettingKey key, const QByteArray& bytes)
{
    if (bytes.size() != sizeOf(key))
        return std::nullopt;
    if (key.key == Key::AccelProfile) {
        const int index = bytes.at(0);
        return index >= 0 && index < profiles().size() ? std::optional<QVariant>(profiles()[index])
                                                       : std::nullopt;
    }
    const double number = journalDouble(bytes);
    if (!(number >= libinput::kMinSpeed && number <= libinput::kMaxSpeed))
        return std::nullopt;
    return QVariant(number);
}

} // namespace

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double)
        return std::abs(a.toDouble() - b.toDouble()) <= 1e-9;
    return a == b;
}

std::vector<JournalDevice> journalEntries(const KeyStates& states)
{
    // The keys come in the order of their schemas: one entry for each schema's run of them.
    std::vector<JournalDevice> entries;
    for (const auto& [key, state] : states) {
        if (entries.empty() || entries.back().name != schemaId(key.schema))
            entries.emplace_back(0, schemaId(key.schema), std::vector<JournalProperty>{});
        const QByteArray original =
            state.original ? bytesOf(key, *state.original) : QByteArray(sizeOf(key), 0);
        JournalProperty property(keyName(key.key), state.original ? QStringLiteral("value") : kNone,
                                 8, static_cast<int>(original.size()), original);
        property.writtenState = JournalWritten::Value;
        property.written = bytesOf(key, state.written);
        entries.back().properties.push_back(std::move(property));
    }
    return entries;
}

QString journalFault(const JournalDevice& entry, const JournalProperty& property)
{
    const auto schema = schemaNamed(entry.name);
    if (!schema || entry.deviceId != 0 || entry.vendorProduct)
        return QStringLiteral("not one of GNOME's pointer settings");
    const auto key = keyNamed(*schema, property.name);
    const bool hasOriginal = property.type != kNone;
    const bool wellFormed =
        key && property.writtenState == JournalWritten::Value && valueOf(*key, property.written) &&
        (hasOriginal ? property.type == QStringLiteral("value") && valueOf(*key, property.bytes)
                     : property.bytes == QByteArray(sizeOf(*key), 0));
    return wellFormed ? QString() : QStringLiteral("not as this program writes it");
}

KeyStates fromJournal(const JournalDevice& entry)
{
    KeyStates states;
    const auto schema = schemaNamed(entry.name);
    for (const JournalProperty& property : entry.properties) {
        const auto key = schema ? keyNamed(*schema, property.name) : std::nullopt;
        const auto written = key ? valueOf(*key, property.written) : std::nullopt;
        if (!written)
            continue;
        KeyState state;
        state.written = *written;
        if (property.type != kNone)
            state.original = valueOf(*key, property.bytes);
        states[*key] = state;
    }
    return states;
}

} // namespace veloquill::gnome
