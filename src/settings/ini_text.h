// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <optional>

namespace veloquill {

// The INI text QSettings writes for these values, byte for byte, built directly: QSettings
// builds it through a character-by-character QString pass that costs tens of milliseconds for a
// table of thousands of records, on every write. Only what the store itself writes is built
// here — text and data values under keys of letters, digits, '_', '-' and '.' — and nothing
// otherwise, for the caller to have QSettings write it.
std::optional<QByteArray> iniText(const QHash<QString, QVariant>& values);

} // namespace veloquill
