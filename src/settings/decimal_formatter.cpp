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
    bool ok = false;
    const double value = m_locale.toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace veloquill
