// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/display_name.h"

#include <QRegularExpression>

namespace veloquill {

QString canonicalDisplayName(const QString& displayName)
{
    const QString name = displayName.isEmpty() ? qEnvironmentVariable("DISPLAY") : displayName;
    // The host is everything before the last colon, so IPv6 hosts keep theirs.
    static const QRegularExpression pattern(QStringLiteral("^(.*):([0-9]+)(\\.[0-9]+)?$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return name;
    bool fits = false;
    const uint number = match.captured(2).toUInt(&fits);
    if (!fits)
        return name;
    // "unix" is the local socket spelled out; no host is the same.
    const QString host =
        match.captured(1) == QStringLiteral("unix") ? QString() : match.captured(1);
    return host + QLatin1Char(':') + QString::number(number);
}

} // namespace veloquill
