// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/number_format.h"

#include <charconv>
#include <cmath>
#include <string>

namespace veloquill {

namespace {
constexpr double kLargestPlainMagnitude = 9007199254740992.0; // 2^53

// Shortest round-trip digits (without sign or point) and the decimal exponent of the
// first digit, so that |value| = d.ddd × 10^exponent.
struct ShortestDigits
{
    std::string digits;
    int exponent = 0;
};

ShortestDigits shortestDigits(double magnitude)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const auto ePos = text.find('e');
    ShortestDigits out;
    for (size_t i = 0; i < ePos; ++i) {
        if (text[i] != '.')
            out.digits.push_back(text[i]);
    }
    out.exponent = std::stoi(text.substr(ePos + 1));
    return out;
}

std::string exponentForm(const ShortestDigits& d)
{
    std::string out(1, d.digits[0]);
    if (d.digits.size() > 1) {
        out += '.';
        out += d.digits.substr(1);
    }
    out += 'e';
    out += d.exponent < 0 ? '-' : '+';
    std::string exp = std::to_string(std::abs(d.exponent));
    if (exp.size() < 2)
        exp.insert(0, 1, '0');
    return out + exp;
}

std::string plainForm(const ShortestDigits& d)
{
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent < 0)
        return "0." + std::string(static_cast<size_t>(-d.exponent - 1), '0') + d.digits;
    if (d.exponent >= count - 1)
        return d.digits + std::string(static_cast<size_t>(d.exponent - (count - 1)), '0') + ".0";
    const auto split = static_cast<size_t>(d.exponent + 1);
    return d.digits.substr(0, split) + "." + d.digits.substr(split);
}
} // namespace

QString formatReal(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    if (value == 0.0)
        return std::signbit(value) ? QStringLiteral("-0.0") : QStringLiteral("0.0");

    const double magnitude = std::fabs(value);
    const ShortestDigits digits = shortestDigits(magnitude);
    const bool useExponent = digits.exponent < -4 || magnitude > kLargestPlainMagnitude;
    std::string text = useExponent ? exponentForm(digits) : plainForm(digits);
    if (value < 0)
        text.insert(0, 1, '-');
    return QString::fromStdString(text);
}

QString formatBool(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace veloquill
