// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace veloquill {

// Shows a value with at least one and at most two fraction digits in the user's locale
// (its decimal and grouping separators), and reads such text back.
class DecimalFormatter
{
public:
    explicit DecimalFormatter(const QLocale& locale = QLocale());

    QString toString(double value) const;
    // Any number the locale can read, whatever its number of fraction digits, with "." or ","
    // (or the locale's own mark) as the decimal mark and no group separators.
    std::optional<double> fromString(const QString& text) const;

    static constexpr int MinimumFractionDigits = 1;
    static constexpr int MaximumFractionDigits = 2;

private:
    QLocale m_locale;
};

} // namespace veloquill
