// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

namespace veloquill {

// A property value as the HID event system holds it: nothing, an integer, a real or text.
class HidPropertyValue
{
public:
    // Stable numbers, printed in log lines when a value has an unexpected kind.
    enum class Kind : unsigned
    {
        Null = 1,
        Integer = 2,
        Real = 3,
        Text = 4
    };

    HidPropertyValue() = default;
    static HidPropertyValue integer(std::int64_t value) { return HidPropertyValue(value); }
    static HidPropertyValue real(double value) { return HidPropertyValue(value); }
    static HidPropertyValue text(const QString& value) { return HidPropertyValue(value); }

    Kind kind() const { return static_cast<Kind>(m_value.index() + 1); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Real; }

    // Exact conversions: a read succeeds only when the value is of that kind, or a
    // number that converts without loss.
    std::optional<std::int64_t> toInteger() const;
    std::optional<std::int32_t> toInt32() const;
    std::optional<double> toReal() const;
    std::optional<QString> toText() const;

    // Human-readable form for log lines: "nil", "42", "0.5", "\"text\"".
    QString describe() const;

    friend bool operator==(const HidPropertyValue&, const HidPropertyValue&) = default;

private:
    explicit HidPropertyValue(std::int64_t v) : m_value(v) {}
    explicit HidPropertyValue(double v) : m_value(v) {}
    explicit HidPropertyValue(const QString& v) : m_value(v) {}

    std::variant<std::monostate, std::int64_t, double, QString> m_value;
};

} // namespace veloquill
