// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace veloquill {

// The INI text QSettings writes for these values, byte for byte, built directly: QSettings
// builds it through a character-by-character QString pass that costs tens of milliseconds for a
// table of thousands of records, on every write. Only what the store itself writes is built
// here — text and data values under keys of letters, digits, '_', '-' and '.' — and nothing
// otherwise, for the caller to have QSettings write it.
//
// It keeps the escaped form of each data value for the next call: where a value changed only
// in one place (one record of the per-device table), only that stretch is escaped again.
class IniText
{
public:
    std::optional<QByteArray> text(const QHash<QString, QVariant>& values);

private:
    struct EscapedData
    {
        QByteArray raw;
        QByteArray escaped;
        // Offsets in raw, and the matching ones in escaped, where escaping may start afresh.
        std::vector<std::pair<qsizetype, qsizetype>> restarts;
    };
    const QByteArray& escapedData(const QString& key, const QByteArray& raw);

    QHash<QString, EscapedData> m_data;
};

} // namespace veloquill
