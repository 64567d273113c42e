// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/decimal_formatter.h"

#include <cmath>

namespace veloquill {

DecimalFormatter::DecimalFormatter(const QLocale& locale) : m_locale(locale) {}

QString DecimalFormatter::toString(double value) const
{
    QString text = m_locale.toString(value, 'f', MaximumFractionDigits);
    if (!std::isfinite(value))
        return text;
    // Drop trailing zeros beyond the minimum: 0.50 → 0.5, 1.00 → 1.0.
    const QString zero = m_locale.zeroDigit();
    const qsizetype point = text.lastIndexOf(m_locale.decimalPoint());
    if (point < 0)
        return text;
    qsizetype end = text.size();
    const qsizetype minimumEnd =
        point + m_locale.decimalPoint().size() + MinimumFractionDigits * zero.size();
    while (end - zero.size() >= minimumEnd && text.mid(end - zero.size(), zero.size()) == zero)
        end -= zero.size();
    text.truncate(end);
    return text;
}

std::optional<double> DecimalFormatter::fromString(const QString& text) const
{
    // The values are small, never thousands: "1.500" and "1,500" are one and a half in every
    // locale, whichever mark the user's keyboard or habit gives, and a group separator is
    // never taken as one.
    QString normalized = text.trimmed();
    const QString point = m_locale.decimalPoint();
    for (const QChar mark : {QLatin1Char('.'), QLatin1Char(',')}) {
        if (point != mark)
            normalized.replace(mark, point);
    }
    QLocale strict = m_locale;
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(normalized, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace veloquill
