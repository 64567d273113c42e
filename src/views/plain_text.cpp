// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/plain_text.h"

#include "support/log.h"

namespace veloquill {

QString shownText(const QString& text)
{
    return escapedForLog(text);
}

QString isolatedText(const QString& text)
{
    return QChar(0x2068) + shownText(text) + QChar(0x2069);
}

QString literalButtonText(const QString& text)
{
    QString literal = text;
    return isolatedText(literal.replace(QLatin1Char('&'), QLatin1String("&&")));
}

} // namespace veloquill
