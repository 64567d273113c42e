// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/hid_property_value.h"

#include "support/number_format.h"

#include <cmath>

namespace veloquill {

std::optional<std::int64_t> HidPropertyValue::toInteger() const
{
    if (const auto* i = std::get_if<std::int64_t>(&m_value))
        return *i;
    if (const auto* d = std::get_if<double>(&m_value)) {
        // Only whole reals inside int64's range convert; anything else would lose data.
        if (std::isfinite(*d) && std::trunc(*d) == *d && *d >= -9223372036854775808.0 &&
            *d < 9223372036854775808.0)
            return static_cast<std::int64_t>(*d);
    }
    return std::nullopt;
}

std::optional<std::int32_t> HidPropertyValue::toInt32() const
{
    const auto wide = toInteger();
    if (!wide || *wide < INT32_MIN || *wide > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(*wide);
}

std::optional<double> HidPropertyValue::toReal() const
{
    if (const auto* d = std::get_if<double>(&m_value))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(&m_value)) {
        const auto asReal = static_cast<double>(*i);
        // Integers beyond 2^53 may not survive the trip; refuse rather than round.
        if (asReal >= -9223372036854775808.0 && asReal < 9223372036854775808.0 &&
            static_cast<std::int64_t>(asReal) == *i)
            return asReal;
    }
    return std::nullopt;
}

std::optional<QString> HidPropertyValue::toText() const
{
    if (const auto* s = std::get_if<QString>(&m_value))
        return *s;
    return std::nullopt;
}

QString HidPropertyValue::describe() const
{
    switch (kind()) {
    case Kind::Null:
        return QStringLiteral("nil");
    case Kind::Integer:
        return QString::number(std::get<std::int64_t>(m_value));
    case Kind::Real:
        return formatReal(std::get<double>(m_value));
    case Kind::Text:
        return QLatin1Char('"') + std::get<QString>(m_value) + QLatin1Char('"');
    }
    return {};
}

} // namespace veloquill
